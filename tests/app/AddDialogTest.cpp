// The add-site dialog as the user drives it: typing limits, the protocol and authentication
// controls, OK refused and accepted, and pictures of what the user sees.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "WindowHarness.h"
#include "app/dialogs/addnewDlg.h"
#include "core/shell/SiteRename.h"
#include "core/text/StringTable.h"

namespace wexfold::testing {
namespace {

// Key presses of characters beyond ASCII, which QTest::keyClicks cannot type.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

class AddDialogTest : public ::testing::Test {
  protected:
    AddDialogTest() {
        sites.push_back(NewSiteRecord());
        ApplyRename(sites.back(), "home");
    }

    void Open() {
        dialog = std::make_unique<addnewDlg>(nullptr, sites, prompter,
                                             [this](int index) { added.push_back(index); });
    }
    // Shown and active, so focus moves as it does for the user.
    void Show() {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QApplication::setActiveWindow(dialog.get());
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    template <typename T>
    T* Child(const char* name) {
        T* child = dialog->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QLineEdit* Edit(int id) { return Child<QLineEdit>(("control" + std::to_string(id)).c_str()); }
    void ExpectOneLimitMessage(const std::string& text) {
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_EQ(prompter.asked[0].caption, "Error!");
        EXPECT_EQ(prompter.asked[0].text, text);
        EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::kOk);
        EXPECT_EQ(prompter.asked[0].icon, PromptIcon::kStop);
        prompter.asked.clear();
    }
    void Click(const char* button) { Child<QPushButton>(button)->click(); }

    std::vector<SiteRecord> sites;
    ScriptedPrompter prompter;
    std::vector<int> added;
    std::unique_ptr<addnewDlg> dialog;
};

TEST_F(AddDialogTest, FieldsAreCutToTheirLimitsAsTheUserTypes) {
    Open();
    QLineEdit* name = Edit(1020);
    QTest::keyClicks(name, "abcdefghij");
    EXPECT_TRUE(prompter.asked.empty());
    QTest::keyClicks(name, "k");
    ExpectOneLimitMessage("Not more than 10 letters!");
    EXPECT_EQ(name->text(), "abcdefghij");

    // The name's limit is the record's ten bytes: a fourth three-byte character is too much.
    name->clear();
    TypeText(name, QString::fromUtf8("网站名称"));
    ExpectOneLimitMessage("Not more than 10 letters!");
    EXPECT_EQ(name->text(), QString::fromUtf8("网站名"));

    QLineEdit* domain = Edit(1019);
    domain->insert(QString(101, 'd'));
    ExpectOneLimitMessage("Not more than 100 letters!");
    EXPECT_EQ(domain->text(), QString(100, 'd'));
    // Characters, not bytes, count in the domain.
    domain->setText(QString(100, QChar(0x7F51)));
    EXPECT_TRUE(prompter.asked.empty());

    QLineEdit* user = Edit(1026);
    user->setText(QString(21, 'u'));
    ExpectOneLimitMessage("Not more than 20 letters!");
    EXPECT_EQ(user->text(), QString(20, 'u'));
    QLineEdit* password = Edit(1027);
    password->setText(QString(21, 'p'));
    ExpectOneLimitMessage("Not more than 20 letters!");
    EXPECT_EQ(password->text(), QString(20, 'p'));
}

TEST_F(AddDialogTest, PortTakesDigitsUpTo65535AndFollowsTheProtocol) {
    Open();
    QLineEdit* port = Edit(1028);
    EXPECT_EQ(port->text(), "80");
    port->clear();
    QTest::keyClicks(port, "7a0000");
    ExpectOneLimitMessage("Not more than 65535!");
    EXPECT_EQ(port->text(), "65535");

    auto* protocol = Child<QComboBox>("control1023");
    ASSERT_EQ(protocol->count(), 3);
    EXPECT_EQ(protocol->currentText(), "http://");
    const std::vector<std::pair<int, QString>> ports = {{2, "443"}, {1, "21"}, {0, "80"}};
    for (const auto& [index, expected] : ports) {
        protocol->setCurrentIndex(index);
        EXPECT_EQ(port->text(), expected) << protocol->currentText().toStdString();
    }
}

TEST_F(AddDialogTest, AuthenticationBoxEnablesTheCredentials) {
    Open();
    Show();
    QLineEdit* user = Edit(1026);
    QLineEdit* password = Edit(1027);
    EXPECT_FALSE(user->isEnabled());
    EXPECT_FALSE(password->isEnabled());
    // The disabled fields show their own background.
    const QImage shown = user->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(230, 220, 220));

    auto* box = Child<QCheckBox>("control1029");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    EXPECT_TRUE(user->isEnabled());
    EXPECT_TRUE(password->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), user);

    box->click();
    EXPECT_FALSE(user->isEnabled());
    EXPECT_FALSE(password->isEnabled());
}

TEST_F(AddDialogTest, RefusedOkKeepsTheDialogOpenAndFocusesTheField) {
    Open();
    Show();
    QTest::keyClicks(Edit(1020), "home");
    QTest::keyClicks(Edit(1019), "home.test");
    Edit(1019)->setFocus();
    Click("okButton");
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Warning");
    EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::kOk);
    EXPECT_NE(prompter.asked[0].text.find("'home'"), std::string::npos);
    EXPECT_EQ(QApplication::focusWidget(), Edit(1020));
    EXPECT_EQ(sites.size(), 1u);
    EXPECT_TRUE(added.empty());
    EXPECT_TRUE(dialog->isVisible());

    // Checked credentials left empty: the user name is named first.
    Child<QCheckBox>("control1029")->click();
    Edit(1019)->setFocus();
    Click("okButton");
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].text, Text(219));
    EXPECT_EQ(QApplication::focusWidget(), Edit(1026));
}

TEST_F(AddDialogTest, AcceptedOkAppendsTheSiteAndReportsItsIndex) {
    Open();
    QTest::keyClicks(Edit(1020), "Home");
    QTest::keyClicks(Edit(1019), "home.test/page.asp?id=3");
    Child<QComboBox>("control1023")->setCurrentIndex(2);
    Click("okButton");
    EXPECT_TRUE(prompter.asked.empty());
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(added, std::vector<int>{1});
    EXPECT_EQ(SiteNameText(sites[1]), "Home");
    EXPECT_EQ(sites[1].url.port, 443);
    EXPECT_STREQ(sites[1].url.scheme, "https");
    EXPECT_STREQ(sites[1].url.hostName, "home.test");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

}  // namespace
}  // namespace wexfold::testing
