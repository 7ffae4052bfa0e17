// The main window driven as a user drives it: start-up, start and stop, remove, rename, the
// menus and the frame, the help page and the exit.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "WindowHarness.h"
#include "core/sites/SiteListFile.h"

namespace wexfold::testing {
namespace {

using Items = std::vector<std::string>;

TEST_F(WindowTest, WithoutSitesThePagesSayNoUrlAndTheHelpOpens) {
    Open();
    EXPECT_EQ(Controls().statisticsAddress->text(), "No URL is selected!");
    EXPECT_EQ(Controls().reportAddress->text(), "No URL is selected!");
    window->OnCommand(command::kStart);
    EXPECT_EQ(prompter.asked.at(0).caption, "Can't Start!");
    window->OnCommand(command::kHelp);
    ASSERT_EQ(opened, std::vector{folder.Path() / "wexfold-help.html"});
    EXPECT_NE(FileText(opened[0]).find("<html"), std::string::npos);
}

TEST_F(WindowTest, CommandsActOnTheSelectedSiteAndStopsAskFirst) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    EXPECT_EQ(Controls().statisticsAddress->text(), "http://home.test/");
    // No selection: Stop acts on site 0, and No keeps it running.
    window->OnCommand(command::kStop);
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure stop 'home' ? ");
    EXPECT_EQ(window->Engine().RunningWorkers(), 1);
    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(command::kStop);
    EXPECT_EQ(window->Sites()[0].active * 10 + window->Sites()[0].listImage, 1);
    // The tray starts a stopped site at once; numbers past the last site do nothing; its stop
    // asks with the window restored in front.
    window->OnTrayCommand(command::kTrayFirst + 1);
    window->OnCommand(command::kTrayFirst + 2);
    window->OnCommand(command::kChooserFirst + 2);
    EXPECT_EQ(window->Sites()[1].active * 10 + window->Sites()[1].listImage, 10);
    window->showMinimized();
    window->OnTrayCommand(command::kTrayFirst + 1);
    ASSERT_EQ(prompter.asked.size(), 3u);
    EXPECT_TRUE(prompter.asked.back().ownerShown);

    // The View menu marks the pages in the strip; the Tools menu names the selected site.
    window->OnCommand(command::kHideStatistics);
    EXPECT_EQ(window->Tabs(), (std::vector<Page>{Page::kUrl, Page::kReport, Page::kUpdate}));
    EXPECT_EQ(Shown(window->FrameMenu(1)), (Items{"Statistics/22", "Report/30!"}));
    window->SiteList()->setCurrentRow(0);
    EXPECT_EQ(Shown(window->FrameMenu(2))[2], "Start home/19");
    // The Statistics page's chooser shows the chosen site and selects it.
    window->OnCommand(command::kShowStatistics);
    EXPECT_EQ(window->CurrentPage(), Page::kStatistics);
    menuAnswers = {command::kChooserFirst + 1};
    window->OnCommand(1041);
    EXPECT_EQ(Controls().statisticsAddress->text(), "http://shop.test/");
    EXPECT_EQ(window->Engine().statisticsUrl, "http://shop.test/");
    EXPECT_EQ(window->SelectionMark(), 1);
    // The Report page's boxes make the report's filter.
    for (QCheckBox* box :
         {Controls().brokenFilter, Controls().connectivityFilter, Controls().speedFilter}) {
        box->setChecked(false);
    }
    window->OnCommand(1115);
    EXPECT_EQ(prompter.asked.back().text, "You must select a filter.");
}

TEST_F(WindowTest, RemoveNeedsASelectionAndRenameAFreeName) {
    WriteSites({{"a", false}, {"b", true}, {"c", false}, {"d", true}});
    Open();
    // Focus makes a row current without selecting it: that is no selection.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(window->SiteList(), &focus);
    window->OnCommand(1006);
    EXPECT_EQ(prompter.asked.back().caption, "Remove error.");
    window->SiteList()->setCurrentRow(2);
    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(command::kRemove);
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure remove the URL 'c'");
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    EXPECT_EQ(saved.size(), 3u);
    // The tray follows the new indices: site "d" is item 2 and still running.
    EXPECT_EQ(Shown(window->TrayMenuNow())[4], "Stop d/50");

    const auto rename = [this](const char* text, Qt::Key key) {
        window->OnCommand(command::kRename);
        auto* editor = window->findChild<QLineEdit*>("renameEditor");
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), window->Sites()[2].name);
        editor->setText(text);
        QTest::keyClick(editor, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    window->SiteList()->setCurrentRow(2);
    for (const char* refused : {"d", "elevenchars", ".."}) rename(refused, Qt::Key_Return);
    rename("other", Qt::Key_Escape);
    EXPECT_EQ(ListNames(), (Items{"a", "b", "d"}));
    ASSERT_EQ(prompter.asked.size(), 5u);
    EXPECT_EQ(prompter.asked[2].text,
              "The name 'd' is Already exist. Please input site name again.");
    EXPECT_NE(prompter.asked[4].text.find("'..'"), std::string::npos);
    rename("store", Qt::Key_Return);
    EXPECT_EQ(ListNames(), (Items{"a", "b", "store"}));
    EXPECT_STREQ(window->Sites()[2].name, "store");
}

TEST_F(WindowTest, FrameCellsTitleBarAndSitesOpenTheirMenus) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    for (const int x : {10, 50, 90, 130, 300}) {
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, 25));
    }
    QTest::mouseClick(window.get(), Qt::RightButton, {}, QPoint(200, 8));
    Items first;
    for (const Items& menu : menusShown) first.push_back(menu.front());
    EXPECT_EQ(first, (Items{"Add new URL/27", "Statistics/29!", "Advanced Settings/24",
                            "How to use?/34", "&About Wexfold.../16"}));
    // A click on a site opens its menu; a click on empty space opens none.
    QListWidget* list = window->SiteList();
    list->show();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->width() - 5, 70));
    ASSERT_EQ(menusShown.size(), 6u);
    EXPECT_EQ(menusShown.back().front(), "Start Monitor/19");
}

TEST_F(WindowTest, ExitAskedNoWritesNothingAndYesWritesTheExitLines) {
    WriteSites({{"home", true}});
    std::filesystem::create_directories("log/home");
    const std::string before = FileText("siteurl");
    Open();
    window->Sites()[0].active = 0;
    QTest::keyClick(window.get(), Qt::Key_Escape);  // the dialog's cancel key
    EXPECT_EQ(prompter.asked.back().text, "Exit program will stop all Wexfold, are you sure?");
    EXPECT_EQ(FileText("siteurl"), before);
    EXPECT_FALSE(std::filesystem::exists("update.date"));
    EXPECT_EQ(FileText("log/home/03102026").find("Exit program."), std::string::npos);

    prompter.answers = {PromptAnswer::kYes};
    EXPECT_TRUE(window->OnCancel());
    EXPECT_NE(FileText("siteurl"), before);
    EXPECT_NE(FileText("log/home/03102026").find("Exit program.  12:00:00 03/10 2026 \r\n"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::exists("update.date"));
    EXPECT_EQ(window->Engine().RunningWorkers(), 0);
}

}  // namespace
}  // namespace wexfold::testing
