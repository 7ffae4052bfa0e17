// The About box: its version, its pictures within the box, and its OK button.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/dialogs/CAboutDlg.h"

namespace wexfold {
namespace {

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
    // The strip's vertical title (its white letters) ends above the bottom of the box.
    const QImage strip(QStringLiteral(":/images/about-strip.png"));
    int lastTitleRow = -1;
    for (int y = 60; y < strip.height(); ++y) {
        for (int x = 12; x < 34; ++x)
            lastTitleRow = qGray(strip.pixel(x, y)) > 235 ? y : lastTitleRow;
    }
    EXPECT_GT(lastTitleRow, 100);
    EXPECT_LT(lastTitleRow, dialog.height());

    dialog.show();
    auto* ok = dialog.findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace wexfold
