// Writes a PNG of every page, menu, the tray menu, the About box and the alert, in English
// and in Chinese, into build/screenshots/, so anyone can look at what the user sees.
#include <QDir>
#include <QMenu>
#include <QTest>

#include "WindowHarness.h"
#include "app/dialogs/CAboutDlg.h"
#include "app/widgets/AlertWindow.h"
#include "app/widgets/TabStripBar.h"
#include "app/window/MenuFill.h"
#include "core/text/StringTable.h"

namespace wexfold::testing {
namespace {

class ScreenshotTest : public WindowTest, public ::testing::WithParamInterface<Language> {
protected:
    ScreenshotTest() {
        SetLanguage(GetParam());
        QDir().mkpath(QStringLiteral(WEXFOLD_SCREENSHOT_DIR));
    }
    ~ScreenshotTest() override { SetLanguage(Language::kEnglish); }

    void Save(const QImage& image, const std::string& name) {
        const std::string language = GetParam() == Language::kChinese ? "zh" : "en";
        const QString path = QStringLiteral(WEXFOLD_SCREENSHOT_DIR "/%1-%2.png")
                                 .arg(QString::fromStdString(language),
                                      QString::fromStdString(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_TRUE(image.save(path)) << path.toStdString();
    }
};

TEST_P(ScreenshotTest, EveryPageMenuAndBox) {
    WriteSites({{"home", true}, {"shop", false}, {"mirror", true}});
    Open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    const char* pages[] = {"url", "statistics", "report", "update"};
    for (int tab = 0; tab < 4; ++tab) {
        QTest::mouseClick(window->TabBar(), Qt::LeftButton, {}, QPoint(97 * tab + 48, 10));
        Save(window->grab().toImage(), std::string("page-") + pages[tab]);
    }

    // Menus: the runner renders each menu instead of opening it.
    const char* cells[] = {"file", "view", "tools", "help"};
    for (int cell = 0; cell < 4; ++cell) {
        QMenu menu;
        FillMenu(menu, window->FrameMenu(cell));
        menu.adjustSize();
        Save(menu.grab().toImage(), std::string("menu-") + cells[cell]);
    }
    QMenu tray;
    FillMenu(tray, window->TrayMenuNow());
    tray.adjustSize();
    Save(tray.grab().toImage(), "menu-tray");

    CAboutDlg about(window.get());
    about.adjustSize();
    Save(about.grab().toImage(), "about");

    AlertState alert;
    alert.BrokenLink(" 12:00:00 03/10 2026 ", "http://home.test/", 1, 1);
    alert.HalfSecond();
    window->Alert()->Apply(alert.Paint());
    Save(window->Alert()->Render(), "alert");
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenshotTest,
                         ::testing::Values(Language::kEnglish, Language::kChinese),
                         [](const auto& info) {
                             return info.param == Language::kChinese ? "Chinese" : "English";
                         });

}  // namespace
}  // namespace wexfold::testing
