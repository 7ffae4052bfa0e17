// The main window driven as a user drives it: start-up, start and stop, remove, rename, the
// menus, the help page and the exit.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "WindowHarness.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"

namespace wexfold::testing {
namespace {

std::string LabelText(T_wexfoldDlg& window, int id) {
    return static_cast<QLabel*>(window.Control(id))->text().toStdString();
}

std::vector<ShownItem> Items(std::initializer_list<ShownItem> items) { return items; }

TEST_F(WindowTest, StartsWithoutSitesOnTheUrlPage) {
    Open();
    EXPECT_EQ(window->CurrentPage(), Page::kUrl);
    EXPECT_EQ(LabelText(*window, 1040), "No URL is selected!");
    EXPECT_EQ(LabelText(*window, 1100), "No URL is selected!");
    EXPECT_EQ(window->Engine().FetchesInFlight(), 0);
    EXPECT_EQ(Shown(window->TrayMenuNow()),
              Items({{"Lanch Control", 17, false, true}, {"-", 0, false, true},
                     {"&About Wexfold...", 16, false, true}, {"-", 0, false, true},
                     {"Exit", 25, false, true}}));

    window->OnCommand(19);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Can't Start!");
    EXPECT_EQ(prompter.asked[0].text, "No URL, Please add a URL first");
}

TEST_F(WindowTest, StopAsksFirstAndTheTrayStartsWithoutAsking) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    EXPECT_EQ(window->CurrentPage(), Page::kUrl);
    EXPECT_EQ(window->Engine().FetchesInFlight(), 1);
    EXPECT_EQ(LabelText(*window, 1040), "http://home.test/");

    // No selection: Stop acts on site 0, and No keeps it running.
    window->OnCommand(23);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Stop URL");
    EXPECT_EQ(prompter.asked[0].text, "Are you make sure stop 'home' ? ");
    EXPECT_EQ(window->Sites()[0].active, 1);

    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(23);
    EXPECT_EQ(window->Sites()[0].active, 0);
    EXPECT_EQ(window->Sites()[0].listImage, 1u);

    // The tray's item of a stopped site starts it at once.
    const std::size_t asked = prompter.asked.size();
    window->OnCommand(48 + 1);
    EXPECT_EQ(prompter.asked.size(), asked);
    EXPECT_EQ(window->Sites()[1].active, 1);
    EXPECT_EQ(Shown(window->TrayMenuNow())[2], (ShownItem{"Start home", 48, false, true}));
    EXPECT_EQ(Shown(window->TrayMenuNow())[3], (ShownItem{"Stop shop", 49, false, true}));
    // Numbers past the last site do nothing.
    window->OnCommand(48 + 2);
    window->OnCommand(304 + 2);
    EXPECT_EQ(prompter.asked.size(), asked);
}

TEST_F(WindowTest, RemoveNeedsASelectionAndRenumbersTheRest) {
    WriteSites({{"a", false}, {"b", true}, {"c", false}, {"d", true}, {"e", false}});
    Open();
    window->OnCommand(28);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Remove error.");

    window->SiteList()->setCurrentRow(2);
    window->OnCommand(28);
    EXPECT_EQ(prompter.asked.back().text, "Are you make sure remove the URL 'c'");
    EXPECT_EQ(window->Sites().size(), 5u);

    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(28);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"a", "b", "d", "e"}));
    EXPECT_EQ(window->Engine().MonitorCount(), 4);
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_STREQ(saved[2].name, "d");
    // The tray follows the new indices: site "d" is now item 2 and still running.
    EXPECT_EQ(Shown(window->TrayMenuNow())[4], (ShownItem{"Stop d", 50, false, true}));
}

TEST_F(WindowTest, RenameRefusesTakenLongAndUnsafeNames) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    QListWidgetItem* item = window->SiteList()->item(1);
    window->SiteList()->setCurrentRow(1);
    const auto rename = [this](const std::string& text) {
        window->OnCommand(20);
        auto* editor = window->findChild<QLineEdit*>("renameEditor");
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text().toStdString(), window->Sites()[1].name);
        editor->setText(QString::fromStdString(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    for (const std::string refused : {"home", "shop", "elevenchars", ".."}) {
        rename(refused);
        EXPECT_STREQ(window->Sites()[1].name, "shop") << refused;
        EXPECT_EQ(item->text().toStdString(), "shop") << refused;
    }
    ASSERT_EQ(prompter.asked.size(), 4u);
    EXPECT_EQ(prompter.asked[0].text,
              "The name 'home' is Already exist. Please input site name again.");
    EXPECT_EQ(prompter.asked[1].text,
              "The name 'shop' is Already exist. Please input site name again.");

    rename("store");
    EXPECT_STREQ(window->Sites()[1].name, "store");
    EXPECT_EQ(item->text().toStdString(), "store");
    EXPECT_EQ(prompter.asked.size(), 4u);

    // Escape leaves the name as it was, without a question.
    window->OnCommand(20);
    auto* editor = window->findChild<QLineEdit*>("renameEditor");
    ASSERT_NE(editor, nullptr);
    editor->setText("other");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_STREQ(window->Sites()[1].name, "store");
    EXPECT_EQ(prompter.asked.size(), 4u);
}

TEST_F(WindowTest, MenusFollowThePagesAndTheSelection) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    EXPECT_EQ(Shown(window->FrameMenu(1)),
              Items({{"Statistics", 29, true, true}, {"Report", 30, true, true}}));

    window->OnCommand(29);
    EXPECT_EQ(window->Tabs(), (std::vector<Page>{Page::kUrl, Page::kReport, Page::kUpdate}));
    EXPECT_EQ(window->CurrentPage(), Page::kUrl);
    EXPECT_EQ(Shown(window->FrameMenu(1)),
              Items({{"Statistics", 22, false, true}, {"Report", 30, true, true}}));

    window->OnCommand(22);
    EXPECT_EQ(window->Tabs(), (std::vector<Page>{Page::kUrl, Page::kStatistics, Page::kReport,
                                                 Page::kUpdate}));
    EXPECT_EQ(window->CurrentPage(), Page::kStatistics);

    const auto tools = Shown(window->FrameMenu(2));
    ASSERT_EQ(tools.size(), 4u);
    EXPECT_EQ(tools[2], (ShownItem{"Start home", 19, false, false}));
    EXPECT_EQ(tools[3], (ShownItem{"Stop home", 23, false, true}));
    window->SiteList()->setCurrentRow(1);
    const auto selected = Shown(window->FrameMenu(2));
    EXPECT_EQ(selected[2], (ShownItem{"Start shop", 19, false, true}));
    EXPECT_EQ(selected[3], (ShownItem{"Stop shop", 23, false, false}));

    // The chooser of the Statistics page shows the chosen site.
    menuAnswers = {304 + 1};
    window->SiteList()->setCurrentRow(0);
    window->OnCommand(1041);
    EXPECT_EQ(LabelText(*window, 1040), "http://shop.test/");
    EXPECT_EQ(window->Engine().statisticsUrl, "http://shop.test/");
    EXPECT_EQ(window->SiteList()->currentRow(), 1);
}

TEST_F(WindowTest, FrameCellsAndTitleBarOpenTheirMenus) {
    Open();
    const std::pair<int, std::string> cells[] = {
        {10, "Add new URL"}, {50, "Statistics"}, {90, "Advanced Settings"}, {130, "How to use?"}};
    for (const auto& [x, first] : cells) {
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, 25));
        ASSERT_FALSE(menusShown.empty());
        EXPECT_EQ(menusShown.back().front().text, first) << x;
    }
    const std::size_t shown = menusShown.size();
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(300, 25));
    EXPECT_EQ(menusShown.size(), shown);
    QTest::mouseClick(window.get(), Qt::RightButton, {}, QPoint(200, 8));
    EXPECT_EQ(menusShown.back(), Items({{"&About Wexfold...", 16, false, true}}));
}

TEST_F(WindowTest, ClickingASiteOpensItsMenuAndEmptySpaceNothing) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    QListWidget* list = window->SiteList();
    list->show();
    const QPoint shop = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, shop);
    ASSERT_EQ(menusShown.size(), 1u);
    EXPECT_EQ(menusShown[0], Items({{"Start Monitor", 19, false, true},
                                    {"Statistics", 22, false, true},
                                    {"history report", 21, false, true},
                                    {"-", 0, false, true},
                                    {"Advanced Setting", 24, false, true},
                                    {"-", 0, false, true},
                                    {"Rename", 20, false, true}}));
    EXPECT_EQ(list->currentRow(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(list->width() - 5, 70));
    EXPECT_EQ(menusShown.size(), 1u);
}

TEST_F(WindowTest, HelpIsPutIntoTheFolderAndOpened) {
    Open();
    window->OnCommand(34);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], folder.Path() / "wexfold-help.html");
    EXPECT_NE(FileText(opened[0]).find("<html"), std::string::npos);
}

TEST_F(WindowTest, ExitAskedNoWritesNothingAndYesWritesTheExitLines) {
    WriteSites({{"home", true}});
    std::filesystem::create_directories(folder.Path() / "log" / "home");
    const std::string before = FileText("siteurl");
    Open();
    window->Sites()[0].active = 0;

    EXPECT_FALSE(window->OnCancel());
    EXPECT_EQ(prompter.asked.back().caption, "Exit Warning");
    EXPECT_EQ(prompter.asked.back().text, "Exit program will stop all Wexfold, are you sure?");
    EXPECT_EQ(FileText("siteurl"), before);
    EXPECT_FALSE(std::filesystem::exists("update.date"));
    const std::filesystem::path log = folder.Path() / "log/home/03102026";
    EXPECT_EQ(FileText(log).find("Exit program."), std::string::npos);

    prompter.answers = {PromptAnswer::kYes};
    EXPECT_TRUE(window->OnCancel());
    EXPECT_NE(FileText("siteurl"), before);
    EXPECT_NE(FileText(log).find("Exit program.  12:00:00 03/10 2026 \r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists("update.date"));
    EXPECT_EQ(window->Engine().FetchesInFlight(), 0);
}

TEST_F(WindowTest, AddingRefusesTheTwoHundredFiftySeventhSite) {
    std::vector<std::pair<std::string, bool>> many;
    for (int i = 0; i < 256; ++i) many.push_back({"s" + std::to_string(i), false});
    WriteSites(many);
    Open();
    window->OnCommand(27);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Sites too much!");
    EXPECT_EQ(prompter.asked[0].text, "You can't add more than 256 urls!");
}

}  // namespace
}  // namespace wexfold::testing
