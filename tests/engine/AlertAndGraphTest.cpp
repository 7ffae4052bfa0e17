// The connection-lost alert's steps and texts, and the speed graph's history.
#include <gtest/gtest.h>

#include "core/engine/AlertState.h"
#include "core/engine/SpeedHistory.h"

namespace wexfold {
namespace {

std::vector<std::string> Texts(const AlertPaint& paint) {
    std::vector<std::string> texts;
    for (const AlertText& text : paint.texts) texts.push_back(text.text);
    return texts;
}

TEST(AlertStateTest, LostTimeIsShownUntilTheSiteConditionPaintsAtOnceThenCountsDown) {
    AlertState alert;
    // Each broken link loses ten seconds; the seventh meets the site's condition of a minute:
    // the picture is painted at once with the minutes that met it, and the count restarts.
    std::vector<std::string> minutes;
    for (int link = 1; link <= 7; ++link) {
        const auto atOnce = alert.BrokenLink(" t" + std::to_string(link), "u", 1, 1);
        minutes.push_back((atOnce ? "at once " : "") +
                          (atOnce ? *atOnce : alert.Paint()).texts[3].text);
    }
    EXPECT_EQ(minutes,
              (std::vector<std::string>{"0 Minutes.", "0 Minutes.", "0 Minutes.", "0 Minutes.",
                                        "0 Minutes.", "1 Minutes.", "at once 1 Minutes."}));
    EXPECT_EQ(Texts(alert.Paint()), (std::vector<std::string>{"u", "Failed! can't connect to",
                                                              " t7", "Close after 5 Seconds."}));
    std::string countdown;
    for (int step = 0; step <= 10; ++step) {
        const AlertPaint paint = alert.Paint();
        ASSERT_EQ(paint.kind, AlertPaint::kDraw) << step;
        countdown += paint.texts.back().text.substr(12, 1);
        alert.HalfSecond();
    }
    EXPECT_EQ(countdown, "55443322110");
    EXPECT_EQ(alert.Paint().kind, AlertPaint::kRemove);
    alert.HalfSecond();
    EXPECT_EQ(alert.Paint().kind, AlertPaint::kNothing);
}

TEST(SpeedHistoryTest, FastSecondsShrinkTheHistoryAndTheNewestTwentyTwoAreKept) {
    SpeedHistory history;
    history.AddSample(50 * 1024);
    history.AddSample(0);
    EXPECT_EQ(history.Heights(), (std::deque<int>{100, 50}));
    EXPECT_EQ(history.Label(), "50kb/s");
    // 250 kb/s: s = 2, the sample becomes 125 (drawn at the top), the others halve; the
    // shrinking compounds, and a quiet second keeps the label.
    history.AddSample(250 * 1024);
    EXPECT_EQ(history.Heights(), (std::deque<int>{0, 100, 75}));
    history.AddSample(300 * 1024);
    EXPECT_EQ(history.Heights(), (std::deque<int>{0, 67, 100, 92}));
    EXPECT_EQ(history.Label(), "300kb/s");
    for (int i = 1; i <= 30; ++i) history.AddSample(static_cast<std::uint32_t>(i) * 1024);
    EXPECT_EQ(history.Heights().size(), 22u);
    EXPECT_EQ(history.Polyline().back().x, 1);
}

}  // namespace
}  // namespace wexfold
