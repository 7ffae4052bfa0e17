// The UPDATE page driven as a user drives it, against the real update server on 127.0.0.1:
// its texts and the button's captions through a check with two new files and the automatic
// check after it, through a stop during a download, and a slow server that leaves the
// window's timers running.
#include <QDate>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <set>

#include "WindowHarness.h"
#include "app/widgets/TabStripBar.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/UpdateServerProcess.h"

namespace wexfold::testing {
namespace {

using Texts = std::vector<std::string>;

class UpdatePageTest : public WindowTest {
  protected:
    UpdatePageTest() {
        downloader = std::make_shared<CurlDownloader>(CurlLimits{}, folder.Path() / "cache");
        setenv("WEXFOLD_UPDATE_HOST", server.Host().c_str(), 1);
    }
    ~UpdatePageTest() override { unsetenv("WEXFOLD_UPDATE_HOST"); }

    void Publish(const std::vector<std::string>& names, std::size_t size) {
        ASSERT_TRUE(
            testing::Publish(WEXFOLD_UPDATE_SERVER, root.Path(), sources.Path(), names, size));
    }
    // Opens the window, shown, on its UPDATE page, and follows the page's texts: hook sees
    // each with the button's caption at that moment.
    void OpenOnUpdatePage() {
        Open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(window->TabBar(), Qt::LeftButton, {}, QPoint(97 * 3 + 48, 10));
        ASSERT_EQ(window->CurrentPage(), Page::kUpdate);
        QObject::connect(
            window.get(), &T_wexfoldDlg::updateTextShown,
            [this](QLabel* label, const QString& text) {
                (label == Controls().updateText ? texts : status).push_back(text.toStdString());
                if (hook) hook(label == Controls().updateText, text.toStdString());
            });
    }
    std::string Caption() const { return Controls().checkButton->text().toStdString(); }
    bool ProgressShown() const {
        return Controls().updateProgress->isVisible() && Controls().updateStatus->isVisible();
    }
    void Press() { window->OnCommand(1011); }
    void WaitForChecker() {
        ASSERT_TRUE(WaitFor([this] { return !window->Updater().Running(); }));
        QCoreApplication::processEvents();
    }

    TempFolder root;
    TempFolder sources;
    UpdateServerProcess server{WEXFOLD_UPDATE_SERVER, root.Path()};
    Texts texts;   // of the page's text
    Texts status;  // of its status line
    std::function<void(bool pageText, const std::string& text)> hook;
};

TEST_F(UpdatePageTest, TwoNewFilesAreListedDownloadedAndRecordedThenTheHourlyCheck) {
    Publish({"small.bin"}, 1500);
    Publish({"setup.bin"}, 300 * 1024 + 700);
    clock.Advance(86400);
    OpenOnUpdatePage();
    // Read at the second file's first report: the record, and the captions and the pair.
    std::string record;
    Texts captions;
    bool pairShown = false;
    hook = [&](bool pageText, const std::string& text) {
        if (pageText) captions.push_back(Caption());
        pairShown = pairShown || (!pageText && ProgressShown());
        if (!pageText && record.empty() && text.find("small.bin") != std::string::npos) {
            record = FileText("update.date");
        }
    };
    prompter.answers = {PromptAnswer::kYes, PromptAnswer::kNo};  // open the first file only
    Press();
    WaitForChecker();
    const std::string today = QDate::currentDate().toString("MM/dd/yyyy").toStdString();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(
        Texts(texts.begin(), texts.begin() + 5),
        (Texts{"Please Whaiting.... \nConnecting internet.....",
               "Connect Sucess! \nChecking Update...", "Update invaild,can't open local file.",
               "Update List:\n\n* setup.bin, 300KB, " + today,
               "Update List:\n\n* setup.bin, 300KB, " + today + "\n* small.bin, 1KB, " + today}));
    EXPECT_EQ(Texts(captions.begin(), captions.begin() + 3),
              (Texts{"Check Update Now!", "Starting connection!", "Stop Update!"}));
    // Switch on, three reserved zero bytes, then the clock's time, little-endian.
    EXPECT_EQ(record, std::string("\x01\0\0\0\xe8\x0b\xb1\x69\0\0\0\0", 12));
    EXPECT_TRUE(pairShown);
    EXPECT_NE(
        std::find(status.begin(), status.end(), ".100%, Downloading 'setup.bin', 300KB of 300KB"),
        status.end());
    EXPECT_NE(prompter.asked.at(1).text.find("'small.bin'"), std::string::npos);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(std::filesystem::canonical(opened[0]), folder.Path() / "update/setup.bin");
    // A check that ended by itself leaves the stop caption and hides the pair.
    EXPECT_EQ(texts.back().rfind("Update successed! ", 0), 0u);
    EXPECT_EQ(Caption(), "Stop Update!");
    EXPECT_FALSE(ProgressShown());

    // Switched off no check comes; switched on, the count starts again and the 61st minute
    // compares the list of this run's check, which holds nothing new.
    window->OnCommand(1017);
    for (int minute = 0; minute < 70; ++minute) window->MinuteTick();
    window->OnCommand(1017);
    for (int minute = 0; minute < 60; ++minute) window->MinuteTick();
    texts.clear();
    WaitFor([] { return false; }, std::chrono::seconds(1));
    EXPECT_TRUE(texts.empty());
    window->MinuteTick();
    WaitForChecker();
    EXPECT_EQ(texts, Texts{"None update!"});
    EXPECT_EQ(Caption(), "Check Update Now!");
}

TEST_F(UpdatePageTest, StopDuringTheSecondFileBringsThePageBack) {
    Publish({"f1", "f2"}, 64 * 1024);
    OpenOnUpdatePage();
    // The first report of f2 reaches the page after f1's success: the user stops there.
    bool stopped = false;
    hook = [&](bool pageText, const std::string& text) {
        if (!pageText && text.find("=f2") != std::string::npos && !stopped) {
            stopped = true;
            prompter.answers = {PromptAnswer::kYes};
            Press();
        }
    };
    Press();
    // After the stop the worker still reports the abort.
    ASSERT_TRUE(
        WaitFor([this] { return !texts.empty() && texts.back() == "Download file failed!"; }));
    EXPECT_EQ(Texts(texts.end() - 3, texts.end()),
              (Texts{"Recent Update: ", "user canceled", "Download file failed!"}));
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure stop update?");
    EXPECT_EQ(Caption(), "Check Update Now!");
    EXPECT_FALSE(ProgressShown());
}

TEST_F(UpdatePageTest, ASlowServerLeavesTheWindowAndItsTimersRunning) {
    WriteSites({{"home", true}});
    UpdateServerProcess slow{WEXFOLD_UPDATE_SERVER, root.Path(), 10};
    setenv("WEXFOLD_UPDATE_HOST", slow.Host().c_str(), 1);
    OpenOnUpdatePage();
    Press();
    EXPECT_EQ(Caption(), "Starting connection!");
    // While the list is on its way the half-second timer turns the site's picture.
    std::set<std::uint32_t> frames;
    WaitFor([&] {
        if (texts.size() == 1) frames.insert(window->Sites()[0].listImage);
        return !window->Updater().Running();
    });
    EXPECT_EQ(texts, (Texts{"Please Whaiting.... \nConnecting internet.....",
                            "Connect Sucess! \nChecking Update...",
                            "Update invaild,can't open local file."}));
    EXPECT_EQ(frames.size(), 5u);
}

}  // namespace
}  // namespace wexfold::testing
