#include "app/shell/T_wexfoldApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <csignal>

#include "app/shell/SingleInstance.h"
#include "app/widgets/SitePictures.h"
#include "app/window/DesktopNotifier.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/logs/Clock.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

volatile std::sig_atomic_t terminationRequested = 0;

extern "C" void OnTermination(int) {
    terminationRequested = 1;
}

// SIGTERM (the session ends) and SIGINT run the exit steps without the question, so the
// site list and the exit lines are written.
void CatchTermination() {
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int T_wexfoldApp::Run(int argc, char** argv, MetricsBoard* metrics) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wexfold"));
    // The desktop matches the window to its entry (wexfold.desktop) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("wexfold"));
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    SetLanguage(LanguageFromEnvironment());
    if (CurrentLanguage() == Language::kChinese) {
        QFont font = QApplication::font();
        font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), font.family()});
        QApplication::setFont(font);
    }

    SingleInstance instance;
    if (!instance.Claim()) return 0;

    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowServices services;
    // Update files may be large and slow: only the stall limit holds them.
    CurlLimits updateLimits;
    updateLimits.transferSeconds = 0;
    updateLimits.maxBodyBytes = 0;
    services.downloader = std::make_shared<CurlDownloader>(updateLimits);
    services.notifier = std::make_shared<DesktopNotifier>();
    services.fetcher = std::make_shared<CurlFetchLoop>();
    services.clock = &clock;
    services.prompter = &prompter;
    services.metrics = metrics;
    services.runMenu = [](QMenu& menu, const QPoint& at) {
        const QAction* chosen = menu.exec(at);
        return chosen != nullptr ? chosen->data().toInt() : 0;
    };
    services.openDocument = [](const std::filesystem::path& document) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(document.string())));
    };

    T_wexfoldDlg window(services);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    QObject::connect(&window, &T_wexfoldDlg::finished, &app, &QApplication::quit);
    window.OnInitDialog(T_wexfoldDlg::StartUp::kAfterFirstPaint);
    window.show();

    CatchTermination();
    QTimer termination;
    QObject::connect(&termination, &QTimer::timeout, &window, [&window] {
        if (terminationRequested != 0) {
            terminationRequested = 0;
            window.ExitSteps();
        }
    });
    termination.start(200);
    return QApplication::exec();
}

}  // namespace wexfold
