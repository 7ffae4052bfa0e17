// The advanced settings dialog driven as a user would, over the main window's own site list,
// engine and log files. Its rules are the core's (tests/shell, and the command-line table in
// tests/server); this holds what the widgets do with them.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "WindowHarness.h"
#include "app/dialogs/urlsettings.h"
#include "app/dialogs/urlsettingsStrip.h"
#include "core/sites/SiteAddress.h"

namespace wexfold::testing {
namespace {

class SettingsDialogTest : public WindowTest {
  protected:
    // Three stopped sites with log folders, so nothing is fetched and every line is kept.
    void SetUp() override {
        for (const char* name : {"home", "shop", "mirror"}) {
            std::filesystem::create_directories(std::string("log/") + name);
        }
        WriteSites({{"home", false}, {"shop", false}, {"mirror", false}});
        Open();
    }

    void OpenDialog(int selectionMark) {
        const auto runMenu = [this](const Menu&) { return std::exchange(menuAnswer, 0); };
        const auto addressChanged = [this](int site, const std::string& old) {
            changed.push_back({site, old});
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
    void Click(int id) { QTest::mouseClick(Get(id), Qt::LeftButton, {}, QPoint(6, 8)); }
    void Press(const char* name) { dialog->findChild<QAbstractButton*>(name)->click(); }
    // Replaces a field's text as a user does: select it all, then type over it.
    void Type(int id, const QString& text) {
        Get<QLineEdit>(id)->selectAll();
        QTest::keyClicks(Get<QLineEdit>(id), text);
    }
    // How often a site's log holds the line of a reset interval.
    static int IntervalLines(const char* name, int seconds) {
        const std::string all = FileText(std::string("log/") + name + "/03102026");
        const std::string line = "* " + std::to_string(seconds) + " seconds. Reset interval";
        int count = 0;
        for (auto at = all.find(line); at != std::string::npos; at = all.find(line, at + 1)) {
            ++count;
        }
        return count;
    }

    std::unique_ptr<urlsettings> dialog;
    int menuAnswer = 0;
    std::vector<std::pair<int, std::string>> changed;
};

TEST_F(SettingsDialogTest, WithoutSelectionActsOnAllSitesOnceEach) {
    OpenDialog(-1);
    EXPECT_TRUE(Get(1050)->isChecked());
    EXPECT_TRUE(Get<QLineEdit>(1075)->text().isEmpty());
    const std::vector<SiteRecord> before = window->Sites();
    Press("applyButton");  // no edit: no site changes, though all are its target
    EXPECT_EQ(std::memcmp(window->Sites().data(), before.data(), 3 * sizeof(SiteRecord)), 0);

    Click(1045);
    Type(1048, "5");
    Press("applyButton");
    Press("okButton");  // the same values again change and log nothing more
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(prompter.asked.empty());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(window->Engine().Monitor(i).intervalSeconds, 300u);
        EXPECT_EQ(IntervalLines(window->Sites()[i].name, 300), 1) << i;
    }
    EXPECT_TRUE(changed.empty());
}

TEST_F(SettingsDialogTest, RefusalsKeepTheDialogOpenOnTheFieldAtFault) {
    OpenDialog(0);
    Click(1044);
    Type(1047, "61");  // checked while typing
    EXPECT_EQ(Get<QLineEdit>(1047)->text(), "60");
    Type(1047, "9");
    dialog->ShowPage(urlsettings::kUrlPage);
    Press("okButton");
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].icon, PromptIcon::kStop);
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kMonitorPage);
    EXPECT_EQ(dialog->focusWidget(), Get<QLineEdit>(1047));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(window->Sites()[0].intervalUnit, kIntervalDefault);

    Press("cancelButton");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(SettingsDialogTest, PagesBoxesAndChangeFollowTheUser) {
    OpenDialog(2);
    QTest::mouseClick(dialog->findChild<SettingsTabStrip*>(), Qt::LeftButton, {}, QPoint(145, 10));
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kReportPage);
    for (const int id : {1058, 1053, 1054}) EXPECT_TRUE(Get<QWidget>(id)->isVisible()) << id;
    for (const int id : {1043, 1075}) EXPECT_FALSE(Get<QWidget>(id)->isVisible()) << id;
    Click(1059);  // logging off
    for (const int id : {1062, 1063, 1064}) EXPECT_FALSE(Get(id)->isEnabled()) << id;
    Click(1058);  // alert off
    EXPECT_FALSE(Get<QLineEdit>(1060)->isEnabled());

    // Change picks the shown page's site only.
    menuAnswer = kSettingsSiteFirst + 1;
    Press("control1053");
    EXPECT_EQ(dialog->PageSite(urlsettings::kReportPage), 1);
    EXPECT_EQ(dialog->PageSite(urlsettings::kMonitorPage), 2);
    EXPECT_EQ(Get(1082)->text().toStdString(), "Add to shop");
    EXPECT_TRUE(Get(1059)->isChecked());

    dialog->ShowPage(urlsettings::kUrlPage);
    EXPECT_EQ(Get<QLabel>(1067)->text().toStdString(), "Name: mirror");
    EXPECT_FALSE(Get<QLineEdit>(1077)->isEnabled());
    Click(1079);
    EXPECT_TRUE(Get<QLineEdit>(1077)->isEnabled());
}

TEST_F(SettingsDialogTest, NewAddressAndProtocolReachTheRunningMonitor) {
    SiteRecord& shop = window->Sites()[1];
    ASSERT_TRUE(ParseHostText("shop.test/cart.asp?id=3", shop.url));
    ASSERT_TRUE(ComposeFetchUrl(shop));
    window->Engine().SiteChanged(1);
    OpenDialog(1);
    dialog->ShowPage(urlsettings::kUrlPage);
    EXPECT_EQ(Get<QLineEdit>(1075)->text(), "shop.test/cart.asp?id=3");
    Press("applyButton");  // unchanged: the address stays as it was
    EXPECT_TRUE(changed.empty());

    Get<QComboBox>(1078)->setFocus();
    QTest::keyClick(Get<QComboBox>(1078), Qt::Key_End);  // "https://"
    EXPECT_EQ(Get<QLineEdit>(1074)->text(), "443");
    Type(1075, "store.test/basket");
    Press("okButton");
    EXPECT_EQ(window->Engine().Monitor(1).fetchUrl, "https://store.test/basket");
    const std::pair<int, std::string> change{1, "http://shop.test/cart.asp?id=3"};
    EXPECT_EQ(changed, std::vector{change});
}

}  // namespace
}  // namespace wexfold::testing
