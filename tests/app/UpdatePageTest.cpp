// The UPDATE page against the real update server: its texts and captions through a check with
// two new files and the hourly check, and a slow server while the timers tick, then a stop.
#include <QDate>
#include <QProgressBar>
#include <QPushButton>
#include <cstdlib>
#include <set>

#include "WindowHarness.h"
#include "app/widgets/TabStripBar.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/LocalServers.h"

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

    // Opens the window, shown, on its UPDATE page, and follows the page's texts.
    void OpenOnUpdatePage() {
        Open();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseClick(window->TabBar(), Qt::LeftButton, {}, QPoint(97 * 3 + 48, 10));
        ASSERT_EQ(window->CurrentPage(), Page::kUpdate);
        QObject::connect(window.get(), &T_wexfoldDlg::updateTextShown,
                         [this](QLabel* label, const QString& text) {
                             if (label == Controls().updateText)
                                 texts.push_back(text.toStdString());
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
    Texts texts;  // of the page's text
    std::function<void(bool pageText, const std::string& text)> hook;
};

TEST_F(UpdatePageTest, TwoNewFilesAreListedDownloadedAndRecordedThenTheHourlyCheck) {
    for (const auto& [name, size] :
         {std::pair{"small.bin", 1500}, {"setup.bin", 300 * 1024 + 700}}) {
        ASSERT_TRUE(Publish(WEXFOLD_UPDATE_SERVER, root.Path(), sources.Path(), {name}, size));
    }
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
    EXPECT_EQ(prompter.asked.at(0).icon, PromptIcon::kNone);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(std::filesystem::canonical(opened[0]), folder.Path() / "update/setup.bin");
    // A check that ended by itself leaves the stop caption and hides the pair.
    EXPECT_EQ(texts.back().rfind("Update successed! ", 0), 0u);
    EXPECT_EQ(Caption(), "Stop Update!");
    EXPECT_FALSE(ProgressShown());

    // Switched off no check comes; switched on, the count starts again and the 61st minute
    // compares the list of this run's check, which holds nothing new.
    texts.clear();
    window->OnCommand(1017);
    for (int minute = 0; minute < 70; ++minute) window->MinuteTick();
    window->OnCommand(1017);
    for (int minute = 0; minute < 60; ++minute) window->MinuteTick();
    WaitForChecker();
    EXPECT_TRUE(texts.empty());
    window->MinuteTick();
    WaitForChecker();
    EXPECT_EQ(texts, Texts{"None update!"});
    EXPECT_EQ(Caption(), "Check Update Now!");
}

TEST_F(UpdatePageTest, ASlowServerLeavesTheTimersRunningAndAStopBringsThePageBack) {
    WriteSites({{"home", true}});
    UpdateServerProcess slow{WEXFOLD_UPDATE_SERVER, root.Path(), 10};
    setenv("WEXFOLD_UPDATE_HOST", slow.Host().c_str(), 1);
    OpenOnUpdatePage();
    Press();
    EXPECT_EQ(Caption(), "Starting connection!");
    // While the list is on its way the half-second timer turns the site's picture.
    std::set<std::uint32_t> frames;
    ASSERT_TRUE(WaitFor([&] {
        frames.insert(window->Sites()[0].listImage);
        return frames.size() == 5;
    }));
    EXPECT_EQ(texts, Texts{"Please Whaiting.... \nConnecting internet....."});
    prompter.answers = {PromptAnswer::kYes};
    Press();
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure stop update?");
    EXPECT_EQ(Caption(), "Check Update Now!");
    WaitForChecker();
    EXPECT_EQ(Texts(texts.begin() + 1, texts.end()), (Texts{"Recent Update: ", "user canceled"}));
}

}  // namespace
}  // namespace wexfold::testing
