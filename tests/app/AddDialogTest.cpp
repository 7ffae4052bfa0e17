// The add-site dialog as the user drives it; its rules are the core form's (tests/sites), so
// this holds only what the widgets do with them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "WindowHarness.h"
#include "app/dialogs/addnewDlg.h"

namespace wexfold::testing {
namespace {

TEST(AddDialogTest, FieldsFollowTheUserAndOkAddsOnlyWhatTheFormAccepts) {
    std::vector<SiteRecord> sites{TestSite("home", true)};
    ScriptedPrompter prompter;
    std::vector<int> added;
    addnewDlg dialog(nullptr, sites, prompter, [&](int index) { added.push_back(index); });
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const auto edit = [&](int id) {
        return dialog.findChild<QLineEdit*>(QString("control%1").arg(id));
    };
    auto* protocol = dialog.findChild<QComboBox*>("control1023");
    auto* authentication = dialog.findChild<QCheckBox*>("control1029");
    auto* ok = dialog.findChild<QPushButton*>("okButton");

    // Typing past a limit is refused with a stop box and cut back.
    QTest::keyClicks(edit(1020), "abcdefghijk");
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "Not more than 10 letters!");
    EXPECT_EQ(prompter.asked[0].icon, PromptIcon::kStop);
    EXPECT_EQ(edit(1020)->text(), "abcdefghij");
    // The protocol sets its port; the box enables the credentials and moves the focus there.
    protocol->setCurrentIndex(2);
    EXPECT_EQ(edit(1028)->text(), "443");
    EXPECT_FALSE(edit(1026)->isEnabled());
    QTest::mouseClick(authentication, Qt::LeftButton, {}, QPoint(6, authentication->height() / 2));
    EXPECT_TRUE(edit(1027)->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), edit(1026));

    // A refused OK keeps the dialog open and focuses the field at fault.
    edit(1020)->setText("home");
    edit(1019)->setText("home.test/page.asp?id=3");
    authentication->click();
    ok->click();
    EXPECT_NE(prompter.asked.back().text.find("'home'"), std::string::npos);
    EXPECT_EQ(QApplication::focusWidget(), edit(1020));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(added.empty());

    edit(1020)->setText("Home");
    ok->click();
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(added, std::vector<int>{1});
    EXPECT_STREQ(sites[1].url.scheme, "https");
    EXPECT_STREQ(sites[1].url.hostName, "home.test");
    EXPECT_EQ(sites[1].url.port, 443);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace wexfold::testing
