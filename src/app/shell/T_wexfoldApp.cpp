#include "app/shell/T_wexfoldApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QMenu>
#include <QTimer>
#include <QUrl>
#include <csignal>

#include "app/shell/SingleInstance.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/logs/Clock.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

volatile std::sig_atomic_t terminationRequested = 0;

extern "C" void OnTermination(int) { terminationRequested = 1; }

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

int T_wexfoldApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wexfold"));
    QApplication::setQuitOnLastWindowClosed(false);
    SetLanguage(LanguageFromEnvironment());
    if (CurrentLanguage() == Language::kChinese) {
        QFont font = QApplication::font();
        font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), font.family()});
        QApplication::setFont(font);
    }

    SingleInstance instance;
    if (instance.NotifyRunningCopy()) return 0;
    instance.Listen();

    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowServices services;
    services.downloader = std::make_shared<CurlDownloader>();
    services.fetcher = std::make_shared<CurlFetchLoop>();
    services.clock = &clock;
    services.prompter = &prompter;
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
    window.OnInitDialog();
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
