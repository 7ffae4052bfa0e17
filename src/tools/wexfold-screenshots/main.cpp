// wexfold-screenshots: pictures of what the user sees, in English and in Chinese.
//
//   wexfold-screenshots OUTPUT-FOLDER
//
// Runs the window offscreen in a private data folder with three sites against servers of its
// own on 127.0.0.1 (one up, one refusing connections, one stopped), waits for their first
// verdicts and writes into OUTPUT-FOLDER, as LANGUAGE-NAME.png: the four pages, the tab strip,
// the site tooltips, every menu, the About box, the alert, the add-site dialog, the advanced
// settings pages, the report of the first site's log, and the UPDATE page during and after a
// download from the update server beside this program.
// scripts/screenshots.sh builds and runs it; the pictures serve the package as well.
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/addnewDlg.h"
#include "app/dialogs/sreport.h"
#include "app/dialogs/urlsettings.h"
#include "app/widgets/AlertWindow.h"
#include "app/widgets/TabStripBar.h"
#include "app/window/MenuFill.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/logs/Clock.h"
#include "core/logs/ReportTab.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"

namespace fs = std::filesystem;
using namespace wexfold;

namespace {

// Answers No to every question, so nothing downloaded is opened.
class NoPrompter final : public Prompter {
  public:
    PromptAnswer Ask(QWidget*, const std::string&, const std::string&, PromptButtons buttons,
                     PromptIcon) override {
        return buttons == PromptButtons::kOk ? PromptAnswer::kOk : PromptAnswer::kNo;
    }
    std::string ChooseFile(QWidget*, bool) override { return {}; }
};

// A port on 127.0.0.1 that is bound and never listens: connections to it are refused.
int RefusedPort(int& fd) {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

SiteRecord Site(const char* name, int port, bool active, const char* user = "") {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name, SiteRecord::kNameMax);
    AssignScheme(site.url, "http");
    ParseHostText("127.0.0.1/index.html", site.url);
    site.url.port = static_cast<std::uint16_t>(port);
    if (*user != '\0') {
        AssignUser(site.url, user);
        AssignPassword(site.url, "secret");
    }
    ComposeFetchUrl(site);
    site.active = active ? 1 : 0;
    site.listImage = active ? 0 : 1;
    return site;
}

// Runs the event loop until done() holds, at most the given milliseconds.
bool WaitFor(const std::function<bool()>& done, int millis) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < millis) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

class Shooter {
  public:
    Shooter(QString folder, const char* language)
        : folder_(std::move(folder)), language_(language) {}

    void Save(const QImage& image, const QString& name) {
        const QString path = QStringLiteral("%1/%2-%3.png").arg(folder_, language_, name);
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "wexfold-screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
        }
    }
    void Save(QWidget& widget, const QString& name) { Save(widget.grab().toImage(), name); }
    void SaveMenu(const Menu& items, const QString& name) {
        QMenu menu;
        FillMenu(menu, items);
        menu.adjustSize();
        Save(menu, name);
    }
    // The tooltip the user sees on a site's row.
    void SaveTooltip(T_wexfoldDlg& window, int site, const QString& name) {
        QListWidget* list = window.SiteList();
        const QPoint at = list->visualItemRect(list->item(site)).center();
        QToolTip::showText(list->viewport()->mapToGlobal(at), window.SiteToolTip(site), list);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->inherits("QTipLabel") && top->isVisible()) Save(*top, name);
        }
        QToolTip::hideText();
    }
    bool Failed() const { return failed_; }

  private:
    QString folder_;
    QString language_;
    bool failed_ = false;
};

void ClickTab(T_wexfoldDlg& window, Page page) {
    const auto& tabs = window.Tabs();
    const auto tab = std::find(tabs.begin(), tabs.end(), page) - tabs.begin();
    window.TabBar()->setTabs(window.TabBar()->tabs(), static_cast<int>(tab));
    emit window.TabBar()->currentChanged(static_cast<int>(tab));
}

// Publishes a file of 300 KB on the update server beside this program and starts that server
// on a free port for the update checks; the server ends with the process.
bool ServeUpdate(QProcess& serving, const fs::path& root) {
    const QString server = QCoreApplication::applicationDirPath() + "/wexfold-update-server";
    fs::create_directories(root);
    const fs::path file = root.parent_path() / "setup.bin";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    for (int i = 0; out != nullptr && i < 300 * 1024; ++i) std::fputc('u', out);
    if (out != nullptr) std::fclose(out);
    if (QProcess::execute(server, {"--publish", QString::fromStdString(root.string()),
                                   QString::fromStdString(file.string())}) != 0) {
        return false;
    }
    serving.start(server, {"--root", QString::fromStdString(root.string()), "--port", "0"});
    if (!serving.waitForReadyRead(5000)) return false;
    qputenv("WEXFOLD_UPDATE_HOST", "127.0.0.1:" + serving.readLine().trimmed());
    return true;
}

// The UPDATE page while a file comes in and after it.
void ShootUpdate(Shooter& shooter, T_wexfoldDlg& window) {
    ClickTab(window, Page::kUpdate);
    bool shot = false;
    const auto connection = QObject::connect(
        &window, &T_wexfoldDlg::updateTextShown, [&](QLabel* label, const QString& text) {
            if (label == window.Controls().updateStatus && text.contains("setup.bin") && !shot) {
                shot = true;
                shooter.Save(window, "update-downloading");
            }
        });
    window.OnCommand(1011);
    WaitFor([&] { return !window.Updater().Running(); }, 20000);
    QObject::disconnect(connection);
    shooter.Save(window, "update-done");
}

bool Shoot(const QString& folder, Language language, int upPort, int downPort) {
    SetLanguage(language);
    Shooter shooter(folder, language == Language::kChinese ? "zh" : "en");
    char pattern[] = "/tmp/wexfold-screenshots-XXXXXX";
    const fs::path data = ::mkdtemp(pattern);
    fs::current_path(data);
    if (!SaveSiteList({Site("home", upPort, true, "ann"), Site("shop", downPort, true),
                       Site("mirror", upPort, false)})) {
        return false;
    }
    {
        SystemClock clock;
        NoPrompter prompter;
        WindowServices services;
        services.downloader = std::make_shared<CurlDownloader>(CurlLimits{}, data / "cache");
        services.fetcher = std::make_shared<CurlFetchLoop>();
        services.clock = &clock;
        services.prompter = &prompter;
        services.runMenu = [](QMenu&, const QPoint&) { return 0; };
        services.openDocument = [](const fs::path&) {};
        services.trayIcon = false;
        T_wexfoldDlg window(services);
        window.OnInitDialog();
        window.show();
        WaitFor(
            [&] {
                return window.Badge(0) == SiteBadge::kUp && window.Badge(1) == SiteBadge::kDown;
            },
            20000);

        const std::pair<Page, const char*> pages[] = {{Page::kUrl, "page-url"},
                                                      {Page::kStatistics, "page-statistics"},
                                                      {Page::kReport, "page-report"},
                                                      {Page::kUpdate, "page-update"}};
        for (const auto& [page, name] : pages) {
            ClickTab(window, page);
            WaitFor([] { return false; }, 100);
            shooter.Save(window, name);
        }
        ClickTab(window, Page::kUrl);
        shooter.Save(*window.TabBar(), "tabstrip");
        shooter.SaveTooltip(window, 0, "tooltip-up");
        shooter.SaveTooltip(window, 1, "tooltip-down");
        const char* cells[] = {"file", "view", "tools", "help"};
        for (int cell = 0; cell < 4; ++cell) {
            shooter.SaveMenu(window.FrameMenu(cell), QStringLiteral("menu-%1").arg(cells[cell]));
        }
        shooter.SaveMenu(window.TrayMenuNow(), "menu-tray");

        CAboutDlg about(&window);
        shooter.Save(about, "about");

        AlertState alert;
        alert.BrokenLink(" 12:00:00 03/10 2026 ", "http://127.0.0.1/", 1, 1);
        alert.HalfSecond();
        window.Alert()->Apply(alert.Paint());
        shooter.Save(window.Alert()->Render(), "alert");

        addnewDlg add(&window, window.Sites(), prompter, [](int) {});
        shooter.Save(add, "add");

        // Today's report of the first site, from the log the run has written.
        const QDate today = QDate::currentDate();
        ReportTabChoice choice{today.month() - 1,
                               std::to_string(today.day()),
                               std::to_string(today.year()),
                               today.month() - 1,
                               std::to_string(today.day()),
                               std::to_string(today.year()),
                               true,
                               true,
                               true,
                               window.Sites()[0].fetchUrl};
        const ReportTabOutcome outcome = ViewReportChoice(choice, window.Sites(), clock);
        if (!outcome.refusal) {
            sreport report(&window, outcome.request, prompter);
            report.show();
            WaitFor([] { return false; }, 500);
            shooter.Save(report, "report-dialog");
        }

        urlsettings settings(SettingsHost{window.Sites(), window.Engine(), prompter, 0, {}, {}},
                             &window);
        const char* settingsPages[] = {"monitor", "report", "url"};
        for (int page = 0; page < 3; ++page) {
            settings.ShowPage(page);
            shooter.Save(settings, QStringLiteral("settings-%1").arg(settingsPages[page]));
        }
        if (language == Language::kEnglish) ShootUpdate(shooter, window);
        window.ExitSteps();
    }
    fs::current_path("/");
    fs::remove_all(data);
    return !shooter.Failed();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wexfold-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(folder);

    httplib::Server server;
    server.Get("/index.html", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(20000, 'x'), "text/html");
    });
    const int upPort = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    int refused = -1;
    const int downPort = RefusedPort(refused);
    char pattern[] = "/tmp/wexfold-update-root-XXXXXX";
    const fs::path updates = ::mkdtemp(pattern);
    QProcess updateServer;

    bool ok = upPort > 0 && downPort > 0 && ServeUpdate(updateServer, updates / "root");
    for (const Language language : {Language::kEnglish, Language::kChinese}) {
        ok = Shoot(folder, language, upPort, downPort) && ok;
    }
    server.stop();
    serving.join();
    ::close(refused);
    updateServer.closeWriteChannel();
    updateServer.waitForFinished(5000);
    fs::remove_all(updates);
    std::printf("wexfold-screenshots: pictures in %s\n", qPrintable(folder));
    return ok ? 0 : 1;
}
