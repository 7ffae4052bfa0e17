// The automatic-update switch's picture choice, and the About box.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/dialogs/CAboutDlg.h"
#include "app/widgets/UpdateSwitch.h"

namespace wexfold {
namespace {

TEST(UpdateSwitchTest, PictureFollowsFlagAndState) {
    const auto picture = [](bool on, bool pressed, bool hovered, bool enabled) {
        return std::string(UpdateSwitchPicture(on, pressed, hovered, enabled));
    };
    EXPECT_EQ(picture(true, true, true, true), ":/images/switch-on-pressed.png");
    EXPECT_EQ(picture(true, false, true, true), ":/images/switch-on.png");
    EXPECT_EQ(picture(false, false, true, true), ":/images/switch-off-hover.png");
    EXPECT_EQ(picture(false, true, true, true), ":/images/switch-off.png");
    EXPECT_EQ(picture(false, false, true, false), ":/images/switch-off-inactive.png");
    EXPECT_EQ(picture(false, false, false, true), ":/images/switch-off.png");
}

TEST(AboutBoxTest, ShowsTheVersionAndClosesOnOk) {
    CAboutDlg dialog;
    EXPECT_TRUE(dialog.isModal());
    const auto* version = dialog.findChild<QLabel*>("versionLabel");
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().contains("6.22.2007.3"));
    EXPECT_GE(version->width(), version->sizeHint().width());
    EXPECT_TRUE(dialog.rect().contains(version->geometry()));

    const QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(200, 130), qRgb(236, 233, 216));

    dialog.show();
    auto* ok = dialog.findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace wexfold
