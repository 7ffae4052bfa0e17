// The main window driven as a user drives it: start-up, start and stop, remove, rename, the
// menus and the frame, and the exit.
#include <QCheckBox>
#include <QLineEdit>

#include "WindowHarness.h"

namespace wexfold::testing {
namespace {

using Items = std::vector<std::string>;

TEST_F(WindowTest, CommandsActOnTheSelectedSiteAndStopsAskFirst) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    EXPECT_EQ(Controls().statisticsAddress->text(), "http://home.test/");
    // No selection: Stop acts on site 0, and No keeps it running.
    prompter.answers = {PromptAnswer::kNo, PromptAnswer::kYes};
    window->OnCommand(command::kStop);
    EXPECT_EQ(window->Sites()[0].active, 1);
    window->OnCommand(command::kStop);
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure stop 'home' ? ");
    EXPECT_EQ(window->Sites()[0].listImage, 1u);
    // The tray starts a stopped site at once; numbers past the last site do nothing; its stop
    // asks with the window restored in front.
    window->OnTrayCommand(command::kTrayFirst + 1);
    window->OnCommand(command::kTrayFirst + 2);
    window->OnCommand(command::kChooserFirst + 2);
    EXPECT_EQ(window->Sites()[1].listImage, 0u);
    window->showMinimized();
    window->OnTrayCommand(command::kTrayFirst + 1);
    ASSERT_EQ(prompter.asked.size(), 3u);
    EXPECT_TRUE(prompter.asked.back().ownerShown);

    // The frame's cells and title bar open their menus, a site its own, empty space none.
    for (const int x : {10, 50, 90, 130, 300}) {
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, 25));
    }
    QTest::mouseClick(window.get(), Qt::RightButton, {}, QPoint(200, 8));
    Items first;
    for (const Items& menu : menusShown) first.push_back(menu.front());
    EXPECT_EQ(first, (Items{"Add new URL/27", "Statistics/29!", "Advanced Settings/24",
                            "How to use?/34", "&About Wexfold.../16"}));
    QListWidget* list = window->SiteList();
    list->show();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->width() - 5, 70));
    ASSERT_EQ(menusShown.size(), 6u);
    EXPECT_EQ(menusShown.back().front(), "Stop Monitor/23");

    // The Statistics page's chooser shows the chosen site and selects it; so does the Report's.
    window->OnCommand(command::kShowStatistics);
    menuAnswers = {command::kChooserFirst + 1};
    window->OnCommand(1041);
    EXPECT_EQ(Controls().statisticsAddress->text(), "http://shop.test/");
    EXPECT_EQ(window->SelectionMark(), 1);
    window->OnCommand(command::kShowReport);
    menuAnswers = {command::kChooserFirst + 0};
    window->OnCommand(1101);
    EXPECT_EQ(window->ReportUrl() + Controls().reportAddress->text().toStdString(),
              "http://home.test/http://home.test/");
    EXPECT_EQ(window->SelectionMark(), 0);
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
    // The tray follows the new indices: site "d" is item 2 and still running.
    window->RunMenu(window->TrayMenuNow(), {});
    EXPECT_EQ(menusShown.back()[4], "Stop d/50");

    // Rename edits the selected site's name in place; Escape cancels.
    window->SiteList()->setCurrentRow(2);
    const auto rename = [this](const char* text, Qt::Key key) {
        window->OnCommand(command::kRename);
        auto* editor = window->findChild<QLineEdit*>("renameEditor");
        editor->setText(text);
        QTest::keyClick(editor, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    for (const char* refused : {"d", "elevenchars", ".."}) rename(refused, Qt::Key_Return);
    rename("other", Qt::Key_Escape);
    EXPECT_EQ(ListNames(), (Items{"a", "b", "d"}));
    ASSERT_EQ(prompter.asked.size(), 5u);
    EXPECT_EQ(prompter.asked[2].text,
              "The name 'd' is Already exist. Please input site name again.");
    EXPECT_NE(prompter.asked[4].text.find("'..'"), std::string::npos);
    rename("tenletters", Qt::Key_Return);  // the longest name there is
    EXPECT_EQ(ListNames(), (Items{"a", "b", "tenletters"}));
}

TEST_F(WindowTest, ExitAskedNoWritesNothingAndYesWritesTheExitLines) {
    WriteSites({{"home", true}});
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
    EXPECT_EQ(window->Engine().FetchesInFlight(), 0);
}

}  // namespace
}  // namespace wexfold::testing
