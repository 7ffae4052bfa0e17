// The advanced settings dialog over the window's sites and engine. Its rules are tested in the
// core (tests/shell, tests/server); this holds what its widgets do with them.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "WindowHarness.h"
#include "app/dialogs/urlsettings.h"
#include "app/dialogs/urlsettingsStrip.h"
#include "core/sites/SiteAddress.h"

namespace wexfold::testing {
namespace {

class SettingsDialogTest : public WindowTest {
  protected:
    // Three stopped sites, so nothing is fetched; the second has an address in parts.
    void OpenDialog(int selectionMark) {
        WriteSites({{"home", false}, {"shop", false}, {"mirror", false}});
        Open();
        ASSERT_TRUE(ParseHostText("shop.test/cart.asp?id=3", window->Sites()[1].url));
        ASSERT_TRUE(ComposeFetchUrl(window->Sites()[1]));
        window->Engine().SiteChanged(1);
        const auto runMenu = [this](const Menu&) { return std::exchange(menuAnswer, 0); };
        const auto addressChanged = [this](int site, const std::string& old) {
            changed.push_back(std::to_string(site) + " " + old);
        };
        dialog =
            std::make_unique<urlsettings>(SettingsHost{window->Sites(), window->Engine(), prompter,
                                                       selectionMark, runMenu, addressChanged},
                                          window.get());
        dialog->show();
    }
    template <typename T = QAbstractButton>
    T* Get(int id) {
        return dialog->findChild<T*>(QString("control%1").arg(id));
    }
    void Press(const char* name) { dialog->findChild<QAbstractButton*>(name)->click(); }
    // Replaces a field's text as a user does: select it all, then type over it.
    void Type(int id, const QString& text) {
        Get<QLineEdit>(id)->selectAll();
        QTest::keyClicks(Get<QLineEdit>(id), text);
    }

    std::unique_ptr<urlsettings> dialog;
    int menuAnswer = 0;
    std::vector<std::string> changed;
};

TEST_F(SettingsDialogTest, WithoutSelectionAnEditGoesToAllSitesOnce) {
    OpenDialog(-1);
    EXPECT_TRUE(Get(1050)->isChecked());
    // The Report page shows another site: its settings are not edits for all sites.
    window->Sites()[1].alertOnLoss = 0;
    dialog->ShowPage(urlsettings::kReportPage);
    menuAnswer = kSettingsSiteFirst + 1;
    Press("control1053");
    Get(1045)->click();
    Type(1048, "5");
    Press("applyButton");
    Press("okButton");  // the same values again change and log nothing more
    for (int i = 0; i < 3; ++i) EXPECT_EQ(window->Engine().Monitor(i).intervalSeconds, 300u);
    const std::string log = FileText("log/home/03102026");
    EXPECT_NE(log.find("* 300 seconds. Reset interval"), std::string::npos);
    EXPECT_EQ(log.find("* 300 seconds"), log.rfind("* 300 seconds"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(window->Sites()[0].alertOnLoss + window->Sites()[2].alertOnLoss, 2);
}

TEST_F(SettingsDialogTest, PagesBoxesAndChangeFollowTheUserAndRefusalsKeepItOpen) {
    OpenDialog(2);
    QTest::mouseClick(dialog->findChild<SettingsTabStrip*>(), Qt::LeftButton, {}, QPoint(145, 10));
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kReportPage);
    EXPECT_TRUE(Get(1058)->isVisible());
    EXPECT_FALSE(Get(1043)->isVisible());
    QTest::mouseClick(Get(1059), Qt::LeftButton, {}, QPoint(6, 8));  // logging off
    EXPECT_FALSE(Get(1064)->isEnabled());
    // Change picks the shown page's site only.
    menuAnswer = kSettingsSiteFirst + 1;
    Press("control1053");
    EXPECT_EQ(dialog->PageSite(urlsettings::kReportPage), 1);
    EXPECT_EQ(dialog->PageSite(urlsettings::kMonitorPage), 2);
    EXPECT_TRUE(Get(1059)->isChecked());
    // The URL Info page: the box enables the credentials, the protocol sets its port.
    dialog->ShowPage(urlsettings::kUrlPage);
    menuAnswer = kSettingsSiteFirst + 1;
    Press("control1073");
    EXPECT_EQ(Get<QLineEdit>(1075)->text(), "shop.test/cart.asp?id=3");
    ASSERT_TRUE(Get(1079)->isVisible());
    Get(1079)->click();
    EXPECT_TRUE(Get<QLineEdit>(1077)->isEnabled());
    Get(1079)->click();
    Get<QComboBox>(1078)->setFocus();
    QTest::keyClick(Get<QComboBox>(1078), Qt::Key_End);  // "https://"
    EXPECT_EQ(Get<QLineEdit>(1074)->text(), "443");
    Type(1075, "store.test/basket");

    // A refusal shows the page of the field at fault and focuses it; the pages before it
    // are applied.
    dialog->ShowPage(urlsettings::kMonitorPage);
    Get(1044)->click();
    Type(1047, "61");  // checked while typing
    EXPECT_EQ(Get<QLineEdit>(1047)->text(), "60");
    Type(1047, "9");
    dialog->ShowPage(urlsettings::kUrlPage);
    Press("okButton");
    EXPECT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(dialog->CurrentPage(), urlsettings::kMonitorPage);
    EXPECT_EQ(dialog->focusWidget(), Get<QLineEdit>(1047));
    Type(1047, "20");
    Press("okButton");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(window->Engine().Monitor(1).fetchUrl, "https://store.test/basket");
    EXPECT_EQ(window->Engine().Monitor(2).intervalSeconds, 20u);
    EXPECT_EQ(changed, std::vector<std::string>{"1 http://shop.test/cart.asp?id=3"});
}

}  // namespace
}  // namespace wexfold::testing
