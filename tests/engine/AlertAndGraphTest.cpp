// The connection-lost alert's steps and texts, and the speed graph's history.
#include <gtest/gtest.h>

#include "core/engine/AlertState.h"
#include "core/engine/SpeedHistory.h"

namespace wexfold {
namespace {

// The texts of a paint, in drawing order.
std::vector<std::string> Texts(const AlertPaint& paint) {
    std::vector<std::string> texts;
    for (const AlertText& text : paint.texts) texts.push_back(text.text);
    return texts;
}

TEST(AlertStateTest, CountdownRunsFiveAndAHalfSeconds) {
    AlertState alert;
    EXPECT_FALSE(alert.BrokenLink(" t ", "http://a/", 0, 0).has_value());
    std::vector<std::string> countdown;
    for (int step = 0; step <= 10; ++step) {
        const AlertPaint paint = alert.Paint();
        ASSERT_EQ(paint.kind, AlertPaint::kDraw) << step;
        countdown.push_back(paint.texts.back().text);
        alert.HalfSecond();
    }
    const std::vector<std::string> expected{
        "Close after 5 Seconds.", "Close after 5 Seconds.", "Close after 4 Seconds.",
        "Close after 4 Seconds.", "Close after 3 Seconds.", "Close after 3 Seconds.",
        "Close after 2 Seconds.", "Close after 2 Seconds.", "Close after 1 Seconds.",
        "Close after 1 Seconds.", "Close after 0 Seconds."};
    EXPECT_EQ(countdown, expected);
    EXPECT_EQ(alert.Paint().kind, AlertPaint::kRemove);
    EXPECT_EQ(alert.alertStep, -1);
    alert.HalfSecond();
    EXPECT_EQ(alert.Paint().kind, AlertPaint::kNothing);
}

TEST(AlertStateTest, PaintPlacesTextsInTheCorner) {
    AlertState alert;
    alert.BrokenLink(" 10:00:00 03/10 2026 ", "http://a.test/", 1, 0);
    AlertPaint paint = alert.Paint();
    // Screen rectangles (W - 190, H - 166, W, H - 30) and so on, relative to (W - 190, H - 166).
    EXPECT_EQ(paint.picture.left, 0);
    EXPECT_EQ(paint.picture.top, 0);
    EXPECT_EQ(paint.picture.right, 190);
    EXPECT_EQ(paint.picture.bottom, 136);
    ASSERT_EQ(paint.texts.size(), 4u);
    EXPECT_EQ(Texts(paint), (std::vector<std::string>{"http://a.test/", "Failed! can't connect to",
                                                      " 10:00:00 03/10 2026 ",
                                                      "Close after 5 Seconds."}));
    const AlertRect url = paint.texts[0].rect;
    EXPECT_EQ(url.left, 10);
    EXPECT_EQ(url.top, 50);
    EXPECT_EQ(url.right, 190);
    EXPECT_EQ(url.bottom, 65);
    EXPECT_EQ(paint.texts[0].rgb, 0xFF0000u);
    EXPECT_EQ(paint.texts[2].rect.left, 5);
    EXPECT_EQ(paint.texts[2].rect.right, 185);
    EXPECT_EQ(paint.texts[3].rect.top, 90);
    EXPECT_EQ(paint.texts[3].rgb, 0x0000FFu);
}

TEST(AlertStateTest, LostMinutesResetWhenTheSiteConditionIsMet) {
    AlertState alert;
    // The minutes line of each alert, and of the picture painted at once ("-": none painted).
    std::vector<std::string> minutes;
    std::vector<std::string> atOnce;
    for (int link = 1; link <= 7; ++link) {
        const auto paint = alert.BrokenLink(" t ", "u", 1, 1);
        atOnce.push_back(paint ? paint->texts[3].text + " " + paint->texts[4].text : "-");
        const AlertPaint next = alert.Paint();
        minutes.push_back(next.texts.size() == 5 ? next.texts[3].text : "-");
    }
    const std::vector<std::string> expected{"0 Minutes.", "0 Minutes.", "0 Minutes.",
                                            "0 Minutes.", "0 Minutes.", "1 Minutes.", "-"};
    EXPECT_EQ(minutes, expected);
    EXPECT_EQ(atOnce, (std::vector<std::string>{"-", "-", "-", "-", "-", "-",
                                                "1 Minutes. Close after 5 Seconds."}));
    EXPECT_EQ(alert.lostSeconds, 0);
}

TEST(AlertStateTest, SwitchedOffConditionStillShowsAndCounts) {
    AlertState alert;
    alert.BrokenLink(" t ", "u", 0, 0);
    alert.BrokenLink(" t ", "u", 0, 0);
    EXPECT_EQ(alert.lostSeconds, 20);
    for (int i = 0; i < 4; ++i) alert.HalfSecond();
    alert.BrokenLink(" t2 ", "v", 0, 0);
    EXPECT_EQ(alert.alertStep, 0);
    EXPECT_EQ(alert.Paint().texts[2].text, " t2 ");
}

TEST(SpeedHistoryTest, FastSecondsShrinkTheWholeHistory) {
    SpeedHistory history;
    history.AddSample(50 * 1024);
    history.AddSample(0);
    EXPECT_EQ(history.Heights(), (std::deque<int>{100, 50}));
    EXPECT_EQ(history.Label(), "50kb/s");
    // 250 kb/s: s = 2, the sample becomes 125 (drawn at the top), the others halve.
    history.AddSample(250 * 1024);
    EXPECT_EQ(history.Heights(), (std::deque<int>{0, 100, 75}));
    // Shrinking compounds: 300 kb/s gives s = 3.
    history.AddSample(300 * 1024);
    EXPECT_EQ(history.Heights(), (std::deque<int>{0, 67, 100, 92}));
    EXPECT_EQ(history.Label(), "300kb/s");
    history.AddSample(1000);
    EXPECT_EQ(history.Label(), "300kb/s");
}

TEST(SpeedHistoryTest, KeepsTwentyTwoSamplesNewestAtTheRight) {
    SpeedHistory history;
    for (int i = 1; i <= 30; ++i) history.AddSample(static_cast<std::uint32_t>(i) * 1024);
    ASSERT_EQ(history.Heights().size(), 22u);
    EXPECT_EQ(history.Heights().front(), 70);
    EXPECT_EQ(history.Heights().back(), 91);
    const auto line = history.Polyline();
    ASSERT_EQ(line.size(), 23u);
    EXPECT_EQ(line[0].x, 210);
    EXPECT_EQ(line[0].y, 100);
    EXPECT_EQ(line[1].x, 211);
    EXPECT_EQ(line[22].x, 1);
    history.Clear();
    EXPECT_TRUE(history.Heights().empty());
    EXPECT_EQ(history.Label(), "0kb/s");
}

}  // namespace
}  // namespace wexfold
