// The UPDATE page driven as a user drives it, against the real update server on 127.0.0.1:
// the texts of 1008 and 1030 and the captions of 1011 through a check with two new files,
// through a stop during a download, through a failed fetch, and the automatic check.
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <thread>

#include "WindowHarness.h"
#include "app/widgets/TabStripBar.h"
#include "core/engine/CurlDownloader.h"
#include "core/text/StringTable.h"
#include "core/update/UpdateListFiles.h"
#include "fixtures/FaultServer.h"
#include "fixtures/UpdateServerProcess.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;

struct ShownText {
    int control;
    std::string text;
    std::string caption;  // of button 1011 when the text was shown
};

// Today as the page writes a release date.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = "";
    std::strftime(text, sizeof text, "%m/%d/20%y", &local);
    return text;
}

class UpdatePageTest : public WindowTest {
  protected:
    UpdatePageTest() {
        downloader = std::make_shared<CurlDownloader>(CurlLimits{}, folder.Path() / "cache");
        UseHost(server.Host());
    }
    ~UpdatePageTest() override { unsetenv("WEXFOLD_UPDATE_HOST"); }

    static void UseHost(const std::string& host) { setenv("WEXFOLD_UPDATE_HOST", host.c_str(), 1); }

    void Publish(const std::vector<std::string>& names, std::size_t size = 0) {
        ASSERT_TRUE(
            testing::Publish(WEXFOLD_UPDATE_SERVER, root.Path(), sources.Path(), names, size));
    }

    // Opens the window, shown, on its UPDATE page, and follows the page's texts.
    void OpenOnUpdatePage() {
        Open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        const auto& tabs = window->Tabs();
        const auto tab = std::find(tabs.begin(), tabs.end(), Page::kUpdate) - tabs.begin();
        QTest::mouseClick(window->TabBar(), Qt::LeftButton, {}, QPoint(97 * tab + 48, 10));
        ASSERT_EQ(window->CurrentPage(), Page::kUpdate);
        QObject::connect(window.get(), &T_wexfoldDlg::updateTextShown,
                         [this](int control, const QString& text) {
                             shown.push_back({control, text.toStdString(), Caption()});
                             if (onShown) onShown(shown.back());
                         });
    }

    std::string Caption() const {
        return static_cast<QPushButton*>(window->Control(1011))->text().toStdString();
    }
    std::string Text(int control) const {
        return static_cast<QLabel*>(window->Control(control))->text().toStdString();
    }
    bool ProgressShown() const {
        return window->Control(1007)->isVisible() && window->Control(1030)->isVisible();
    }
    std::vector<std::string> TextsOf(int control) const {
        std::vector<std::string> texts;
        for (const ShownText& s : shown) {
            if (s.control == control) texts.push_back(s.text);
        }
        return texts;
    }

    void Press() { window->OnCommand(1011); }
    // Runs the event loop until the download worker has ended (at most 20 s).
    void WaitForDownloads() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (window->Updater().Downloading() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        ASSERT_FALSE(window->Updater().Downloading());
        QCoreApplication::processEvents();
    }
    // A whole check whose downloads are not opened; the ended check leaves the stop caption,
    // so a press with Yes brings the page back to idle.
    void CheckOnce() {
        Press();
        WaitForDownloads();
        prompter.answers = {PromptAnswer::kYes};
        Press();
        ASSERT_EQ(Caption(), "Check Update Now!");
    }
    void Screenshot(const std::string& name) {
        QDir().mkpath(QStringLiteral(WEXFOLD_SCREENSHOT_DIR));
        const QString path =
            QStringLiteral(WEXFOLD_SCREENSHOT_DIR "/en-%1.png").arg(QString::fromStdString(name));
        EXPECT_TRUE(window->grab().toImage().save(path)) << path.toStdString();
    }

    TempFolder root;
    TempFolder sources;
    UpdateServerProcess server{WEXFOLD_UPDATE_SERVER, root.Path()};
    std::vector<ShownText> shown;
    std::function<void(const ShownText&)> onShown;
};

TEST_F(UpdatePageTest, TwoNewFilesAreListedDownloadedAndRecorded) {
    Publish({"old.bin"});
    OpenOnUpdatePage();
    CheckOnce();
    Publish({"small.bin"}, 1500);
    Publish({"setup.bin"}, 300 * 1024 + 700);
    const std::string today = Today();
    clock.Advance(86400);
    shown.clear();
    prompter.asked.clear();

    // The first file's question is asked once the file is in; the page, the record and the
    // progress pair are read at that moment. Yes opens the file, No (the second) does not.
    std::string textAtFirstFile, recordAtFirstFile;
    prompter.answers = {PromptAnswer::kYes, PromptAnswer::kNo};
    bool downloadShot = false;
    onShown = [&](const ShownText& s) {
        if (s.control == 1030 && s.text.find("Downloading 'setup.bin'") != std::string::npos &&
            !downloadShot) {
            downloadShot = true;
            EXPECT_TRUE(ProgressShown());
            Screenshot("update-downloading");
        }
        if (s.control == 1008 && s.text.rfind("Update successed! ", 0) == 0 &&
            textAtFirstFile.empty()) {
            textAtFirstFile = s.text;
        }
        // The second file's first report: the record must already hold the first one.
        if (s.control == 1030 && !textAtFirstFile.empty() && recordAtFirstFile.empty()) {
            recordAtFirstFile = FileText("update.date");
        }
    };
    Press();
    // The list is shown before any download has reported.
    const std::vector<std::string> listTexts{
        "Please Whaiting.... \nConnecting internet.....", "Connect Sucess! \nChecking Update...",
        "Update List:\n\n* setup.bin, 300KB, " + today,
        "Update List:\n\n* setup.bin, 300KB, " + today + "\n* small.bin, 1KB, " + today};
    EXPECT_EQ(TextsOf(1008), listTexts);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front().caption, "Check Update Now!");
    EXPECT_EQ(shown[1].caption, "Starting connection!");
    EXPECT_EQ(shown.back().caption, "Stop Update!");
    EXPECT_EQ(Caption(), "Stop Update!");
    EXPECT_TRUE(ProgressShown());

    WaitForDownloads();
    Screenshot("update-done");

    ASSERT_FALSE(textAtFirstFile.empty());
    // Switch on, three reserved zero bytes, then the clock's time, little-endian.
    EXPECT_EQ(recordAtFirstFile, std::string("\x01\0\0\0\xe8\x0b\xb1\x69\0\0\0\0", 12));
    EXPECT_EQ(window->Record().lastUpdate, kWindowNoon + 86400);
    EXPECT_TRUE(downloadShot);
    const auto progress = TextsOf(1030);
    const std::regex setupLine(R"(\.\d+%, Downloading 'setup\.bin', \d+KB of 300KB)");
    EXPECT_TRUE(std::any_of(progress.begin(), progress.end(), [&](const std::string& text) {
        return std::regex_match(text, setupLine);
    }));
    EXPECT_TRUE(std::all_of(progress.begin(), progress.end(),
                            [](const std::string& text) { return text.rfind(".", 0) == 0; }));

    // Each file ended with its question naming it; only the first was opened.
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_NE(prompter.asked[0].text.find("'setup.bin'"), std::string::npos);
    EXPECT_NE(prompter.asked[1].text.find("'small.bin'"), std::string::npos);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(fs::canonical(opened[0]), fs::canonical(fs::path("update") / "setup.bin"));
    EXPECT_EQ(fs::file_size(fs::path("update") / "small.bin"), 1500u);

    // A download that ended by itself leaves the stop caption and hides the pair.
    EXPECT_EQ(Text(1008).rfind("Update successed! ", 0), 0u);
    EXPECT_EQ(Caption(), "Stop Update!");
    EXPECT_FALSE(ProgressShown());
}

TEST_F(UpdatePageTest, StopDuringTheSecondFileRestoresTheListAndTheIdleCaption) {
    Publish({"old.bin"});
    OpenOnUpdatePage();
    CheckOnce();
    const std::string firstList = FileText(kUpdateListName);
    Publish({"f1", "f2", "f3"}, 64 * 1024);
    shown.clear();
    prompter.asked.clear();

    // The first report of f2 reaches the page after f1's success: the user stops there.
    bool firstDone = false, stopped = false;
    prompter.answers = {PromptAnswer::kNo, PromptAnswer::kYes};  // f1 not opened; stop: Yes
    onShown = [&](const ShownText& s) {
        if (s.control == 1008 && s.text.rfind("Update successed! ", 0) == 0) firstDone = true;
        if (s.control == 1030 && firstDone && !stopped) {
            stopped = true;
            Press();
        }
    };
    Press();
    // A stopped check no longer counts as downloading; its worker still reports the abort.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Text(1008) != "Download file failed!" && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    ASSERT_TRUE(stopped);
    const auto texts = TextsOf(1008);
    ASSERT_GE(texts.size(), 3u);
    const std::vector<std::string> tail(texts.end() - 3, texts.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Recent Update: ", "user canceled",
                                              "Download file failed!"}));
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].caption, "Make sure Stop?");
    EXPECT_EQ(prompter.asked[1].text, "Are you make sure stop update?");
    EXPECT_EQ(Caption(), "Check Update Now!");
    EXPECT_FALSE(ProgressShown());
    EXPECT_EQ(FileText(kUpdateListName), firstList);
    EXPECT_TRUE(fs::exists(fs::path("update") / "f1"));
    EXPECT_FALSE(fs::exists(fs::path("update") / "f2"));
    EXPECT_FALSE(fs::exists(fs::path("update") / "f3"));
}

TEST_F(UpdatePageTest, FailedFetchKeepsTheConnectingCaptionUntilStopped) {
    RefusingPort refusing;
    UseHost("127.0.0.1:" + std::to_string(refusing.Port()));
    OpenOnUpdatePage();

    Press();
    EXPECT_EQ(TextsOf(1008),
              (std::vector<std::string>{"Please Whaiting.... \nConnecting internet.....",
                                        "Can't connection internet."}));
    EXPECT_EQ(Caption(), "Starting connection!");
    EXPECT_FALSE(ProgressShown());
    EXPECT_FALSE(fs::exists(kUpdateListName));

    Press();  // No: nothing changes
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "Are you make sure stop update?");
    EXPECT_EQ(Caption(), "Starting connection!");

    prompter.answers = {PromptAnswer::kYes};
    Press();
    EXPECT_EQ(Text(1008), "Recent Update: ");
    EXPECT_EQ(Caption(), "Check Update Now!");
    EXPECT_FALSE(fs::exists(kUpdateListName));
}

TEST_F(UpdatePageTest, AutomaticCheckComesOnTheSixtyFirstMinuteWhileSwitchedOn) {
    Publish({"auto.bin"});
    OpenOnUpdatePage();
    ASSERT_EQ(window->Record().autoCheck, 1);

    window->OnCommand(1017);  // off
    for (int minute = 0; minute < 70; ++minute) window->MinuteTick();
    EXPECT_TRUE(shown.empty());

    // Switched on, the count starts again: nothing for 60 minutes, then a check that fetches
    // the list itself, since no check ran by hand.
    window->OnCommand(1017);
    for (int minute = 0; minute < 60; ++minute) window->MinuteTick();
    EXPECT_TRUE(shown.empty());
    window->MinuteTick();
    EXPECT_EQ(Caption(), "Stop Update!");
    WaitForDownloads();
    EXPECT_TRUE(fs::exists(fs::path("update") / "auto.bin"));
    EXPECT_EQ(TextsOf(1008).front(), "Connect Sucess! \nChecking Update...");

    // Nothing new an hour later: the check ends with "None update!".
    shown.clear();
    for (int minute = 0; minute <= 60; ++minute) window->MinuteTick();
    EXPECT_EQ(TextsOf(1008).back(), "None update!");
    EXPECT_EQ(Caption(), "Check Update Now!");
}

}  // namespace
}  // namespace wexfold::testing
