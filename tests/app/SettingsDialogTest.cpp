// The advanced settings dialog driven as a user would, over the main window's own site list,
// engine and log files; and pictures of its three pages in both languages.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstring>
#include <fstream>
#include <sstream>

#include "WindowHarness.h"
#include "app/dialogs/urlsettings.h"
#include "app/dialogs/urlsettingsStrip.h"
#include "core/sites/SiteAddress.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold::testing {
namespace {

class SettingsDialogTest : public WindowTest {
  protected:
    // Three stopped sites with log folders, so nothing is fetched and every line is kept.
    void SetUp() override {
        for (const char* name : names) {
            std::filesystem::create_directories(folder.Path() / "log" / name);
        }
        WriteSites({{names[0], false}, {names[1], false}, {names[2], false}});
        Open();
        for (int i = 0; i < 3; ++i) {
            SiteRecord& site = window->Sites()[static_cast<std::size_t>(i)];
            ASSERT_TRUE(ParseHostText(std::string(names[i]) + ".test", site.url));
            ASSERT_TRUE(ComposeFetchUrl(site));
            window->Engine().SiteChanged(i);
        }
    }

    void OpenDialog(int selectionMark) {
        const auto runMenu = [this](const Menu& menu) {
            menus.push_back(menu);
            return std::exchange(menuAnswer, 0);
        };
        const auto addressChanged = [this](int site, const std::string& old) {
            changedAddresses.push_back({site, old});
        };
        dialog =
            std::make_unique<urlsettings>(SettingsHost{window->Sites(), window->Engine(), prompter,
                                                       selectionMark, runMenu, addressChanged},
                                          window.get());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename T = QAbstractButton>
    T* Get(int id) {
        return qobject_cast<T*>(dialog->Control(id));
    }
    QString Shown(int id) { return Get<QLineEdit>(id)->text(); }
    void Click(int id) { QTest::mouseClick(Get(id), Qt::LeftButton, {}, QPoint(6, 8)); }
    void Press(const char* name) {
        QTest::mouseClick(dialog->findChild<QAbstractButton*>(name), Qt::LeftButton);
    }
    // Replaces a field's text as a user does: select it all, then type over it or delete it.
    void Type(int id, const QString& text) {
        Get<QLineEdit>(id)->selectAll();
        if (text.isEmpty()) QTest::keyClick(Get<QLineEdit>(id), Qt::Key_Backspace);
        QTest::keyClicks(Get<QLineEdit>(id), text);
    }

    // How often the site's log holds the line of a reset interval.
    int IntervalLines(const char* name, int seconds) {
        std::stringstream text;
        for (const auto& day : std::filesystem::directory_iterator(folder.Path() / "log" / name)) {
            text << std::ifstream(day.path(), std::ios::binary).rdbuf();
        }
        const std::string all = text.str();
        const std::string line = FormatText(Text(195), seconds);
        int count = 0;
        for (auto at = all.find(line); at != std::string::npos; at = all.find(line, at + 1)) {
            ++count;
        }
        return count;
    }

    const char* names[3] = {"home", "shop", "mirror"};
    std::unique_ptr<urlsettings> dialog;
    std::vector<Menu> menus;
    int menuAnswer = 0;
    std::vector<std::pair<int, std::string>> changedAddresses;
};

TEST_F(SettingsDialogTest, WithoutSelectionActsOnAllSitesAndLeavesUrlInfoEmpty) {
    SiteRecord& shop = window->Sites()[1];
    shop.intervalUnit = kIntervalMinutes;
    shop.intervalSeconds = 120;
    shop.alertOnLoss = 0;
    OpenDialog(-1);
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kMonitorPage);
    EXPECT_TRUE(Get(1050)->isChecked());
    EXPECT_TRUE(Get(1081)->isChecked());
    EXPECT_EQ(Get(1051)->text().toStdString(), FormatText(Text(237), "home"));
    EXPECT_EQ(dialog->PageSite(urlsettings::kUrlPage), -1);
    EXPECT_TRUE(Shown(1075).isEmpty());
    const std::vector<SiteRecord> before = window->Sites();
    // Apply without an edit changes no site, though all sites are its target.
    Press("applyButton");
    EXPECT_EQ(std::memcmp(window->Sites().data(), before.data(), 3 * sizeof(SiteRecord)), 0);

    QTest::keyClicks(Get<QLineEdit>(1048), "7");  // disabled until its radio is chosen
    EXPECT_TRUE(Shown(1048).isEmpty());
    Click(1045);
    EXPECT_FALSE(Get<QLineEdit>(1047)->isEnabled());
    Type(1048, "5");
    Press("applyButton");

    EXPECT_TRUE(prompter.asked.empty());
    for (int i = 0; i < 3; ++i) {
        const SiteRecord& site = window->Sites()[static_cast<std::size_t>(i)];
        EXPECT_EQ(site.intervalSeconds, 300);
        EXPECT_EQ(window->Engine().Monitor(i).intervalSeconds, 300u);
        EXPECT_EQ(IntervalLines(names[i], 300), 1) << names[i];
        EXPECT_STREQ(site.fetchUrl, before[static_cast<std::size_t>(i)].fetchUrl);
    }
    EXPECT_EQ(shop.alertOnLoss, 0);  // the Report page was not edited
    // The same values again change no running interval and log nothing more.
    Press("okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(IntervalLines("home", 300), 1);
    EXPECT_TRUE(changedAddresses.empty());
}

TEST_F(SettingsDialogTest, RefusedApplyKeepsTheDialogOpenAndCancelClosesIt) {
    OpenDialog(0);
    Click(1044);
    Type(1047, "61");  // checked while typing
    EXPECT_EQ(Shown(1047), "60");
    Type(1047, "9");
    Press("okButton");
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].text, Text(236));
    EXPECT_EQ(prompter.asked[1].text, Text(231));
    EXPECT_EQ(prompter.asked[1].caption, "Error!");
    EXPECT_EQ(prompter.asked[1].icon, PromptIcon::kStop);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(window->Sites()[0].intervalUnit, kIntervalDefault);

    // A failure on the URL Info page keeps what the Monitor page applied.
    Type(1047, "20");
    dialog->ShowPage(urlsettings::kUrlPage);
    Type(1075, "");
    Press("applyButton");
    EXPECT_EQ(prompter.asked.back().text, Text(218));
    EXPECT_EQ(IntervalLines("home", 20), 1);

    Press("cancelButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(window->Sites()[0].intervalSeconds, 20);
}

TEST_F(SettingsDialogTest, TabsShowTheirPagesAndBoxesEnableTheirFields) {
    OpenDialog(2);
    QTest::mouseClick(dialog->findChild<SettingsTabStrip*>(), Qt::LeftButton, {}, QPoint(145, 10));
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kReportPage);
    for (const int id : {1058, 1053, 1054}) EXPECT_TRUE(Get<QWidget>(id)->isVisible()) << id;
    for (const int id : {1043, 1075}) EXPECT_FALSE(Get<QWidget>(id)->isVisible()) << id;

    Click(1059);  // logging off
    for (const int id : {1062, 1063, 1064}) EXPECT_FALSE(Get(id)->isEnabled()) << id;
    Click(1058);  // alert off
    EXPECT_FALSE(Get<QLineEdit>(1060)->isEnabled());

    dialog->ShowPage(urlsettings::kUrlPage);
    EXPECT_FALSE(Get<QLineEdit>(1077)->isEnabled());
    Click(1079);
    EXPECT_TRUE(Get<QLineEdit>(1077)->isEnabled());
}

TEST_F(SettingsDialogTest, ChangePicksTheShownPagesSiteOnly) {
    OpenDialog(-1);
    menuAnswer = kSettingsSiteFirst + 2;
    Press("control1053");
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0].size(), 3u);
    EXPECT_EQ(menus[0][2].text, "mirror");
    EXPECT_EQ(dialog->PageSite(urlsettings::kMonitorPage), 2);
    EXPECT_EQ(dialog->PageSite(urlsettings::kReportPage), 0);
    EXPECT_EQ(Get(1051)->text().toStdString(), FormatText(Text(237), "mirror"));
    EXPECT_TRUE(Get(1050)->isChecked());  // the target radios stay

    dialog->ShowPage(urlsettings::kUrlPage);
    Press("control1073");  // the menu closed without a choice
    EXPECT_EQ(dialog->PageSite(urlsettings::kUrlPage), -1);
}

TEST_F(SettingsDialogTest, NewAddressAndProtocolReachTheRunningMonitor) {
    std::vector<SiteRecord>& sites = window->Sites();
    ASSERT_TRUE(ParseHostText("shop.test/cart.asp?id=3", sites[1].url));
    ASSERT_TRUE(ComposeFetchUrl(sites[1]));
    window->Engine().SiteChanged(1);
    OpenDialog(1);
    dialog->ShowPage(urlsettings::kUrlPage);
    EXPECT_EQ(Get<QLabel>(1067)->text().toStdString(), std::string(Translate("Name: ")) + "shop");
    EXPECT_EQ(Shown(1075), "shop.test/cart.asp?id=3");

    Press("applyButton");  // unchanged: the address stays as it was
    EXPECT_STREQ(sites[1].fetchUrl, "http://shop.test/cart.asp?id=3");
    EXPECT_TRUE(changedAddresses.empty());

    Get<QComboBox>(1078)->setFocus();
    QTest::keyClick(Get<QComboBox>(1078), Qt::Key_End);  // "https://"
    EXPECT_EQ(Shown(1074), "443");
    Type(1075, "store.test/basket");
    Press("okButton");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(window->Engine().Monitor(1).fetchUrl, "https://store.test/basket");
    const std::pair<int, std::string> change{1, "http://shop.test/cart.asp?id=3"};
    EXPECT_EQ(changedAddresses, std::vector{change});
}

}  // namespace
}  // namespace wexfold::testing
