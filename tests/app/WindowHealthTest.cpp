// A run against local servers: the badges and tooltips of the site list, the tray's mark, and
// the desktop notifications through a notification service of the test's own, on a session
// bus the test starts.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>

#include "WindowHarness.h"
#include "app/window/CTaskIcon.h"
#include "app/window/DesktopNotifier.h"
#include "core/engine/CurlDownloader.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/LocalHttpServer.h"
#include "fixtures/RawSocketServers.h"

namespace wexfold::testing {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The Notify calls it received; each gets the next id, or keeps the one it replaces.
class NotificationService final : public QDBusVirtualObject {
  public:
    struct Call {
        uint replaces;
        uint id;
        QString body;
    };

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() != QLatin1String("Notify")) return false;
        const uint replaces = message.arguments().value(1).toUInt();
        calls.push_back(
            {replaces, replaces != 0 ? replaces : ++last, message.arguments().value(4).toString()});
        bus.send(message.createReply(QVariant::fromValue(calls.back().id)));
        return true;
    }

    std::vector<Call> calls;
    uint last = 0;
};

// A private session bus: dbus-daemon started by the test, ended with it.
class SessionBus {
  public:
    SessionBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (daemon_.waitForReadyRead(5000)) address_ = daemon_.readLine().trimmed();
    }
    ~SessionBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    QProcess daemon_;
    QString address_;
};

std::string Tip(T_wexfoldDlg& window, int site) {
    return window.SiteToolTip(site).toStdString();
}

class WindowHealthTest : public WindowTest {
  protected:
    // Points a site at another address, as when its server goes away or comes back.
    void Move(int site, const std::string& url) {
        std::snprintf(window->Sites()[site].fetchUrl, SiteRecord::kFetchUrlSize, "%s", url.c_str());
        window->Engine().SiteChanged(site);
    }

    LocalHttpServer http;
    RefusingPort refused;
    SessionBus bus;
    NotificationService service;
};

TEST_F(WindowHealthTest, BadgesTooltipsTrayAndOneNotificationForDownAndBack) {
    QDBusConnection serviceBus = bus.Connect("service");
    ASSERT_TRUE(serviceBus.isConnected());
    ASSERT_TRUE(serviceBus.registerVirtualObject(kPath, &service));
    ASSERT_TRUE(serviceBus.registerService(kService));
    notifier = std::make_shared<DesktopNotifier>(bus.Connect("client"));
    downloader = std::make_shared<CurlDownloader>(CurlLimits{}, folder.Path() / "cache");

    const std::string page = http.Url(routes::kPage);
    const std::string dead = "http://127.0.0.1:" + std::to_string(refused.Port()) + "/";
    std::vector<SiteRecord> sites{TestSite("up", true), TestSite("flaky", true, page),
                                  TestSite("quiet", true, dead), TestSite("off", false, page)};
    ASSERT_TRUE(ParseHostText("127.0.0.1/page", sites[0].url));
    sites[0].url.port = static_cast<std::uint16_t>(http.Port());
    ASSERT_TRUE(AssignUser(sites[0].url, "joe") && AssignPassword(sites[0].url, "s3cret"));
    ASSERT_TRUE(ComposeFetchUrl(sites[0]));
    for (SiteRecord& site : sites) site.intervalSeconds = 1;
    sites[2].alertOnLoss = 0;
    ASSERT_TRUE(SaveSiteList(sites));
    Open();

    ASSERT_TRUE(WaitFor([&] {
        return window->Badge(0) == SiteBadge::kUp && window->Badge(1) == SiteBadge::kUp &&
               window->Badge(2) == SiteBadge::kDown;
    }));
    EXPECT_EQ(window->Badge(3), SiteBadge::kStopped);
    // The tooltip tells the verdict and the stages, and the address without its password.
    for (const char* part : {"up\nhttp://joe@127.0.0.1:", "Up: last check ", "Name lookup "}) {
        EXPECT_NE(Tip(*window, 0).find(part), std::string::npos)
            << part << " in " << Tip(*window, 0);
    }
    EXPECT_EQ(Tip(*window, 0).find("s3cret"), std::string::npos);
    EXPECT_NE(Tip(*window, 2).find("Down: last check "), std::string::npos);
    EXPECT_NE(Tip(*window, 3).find("Stopped."), std::string::npos);
    // The badge is drawn: the down site's picture is red in its corner.
    const QImage picture = window->SiteList()->item(2)->icon().pixmap(32).toImage();
    EXPECT_GT(qRed(picture.pixel(28, 24)), 150);
    EXPECT_LT(qGreen(picture.pixel(28, 24)), 100);
    EXPECT_TRUE(window->Tray()->Down());
    EXPECT_EQ(window->Tray()->ToolTip().toStdString(), "Wexfold\nDown: quiet");
    window->OnCommand(command::kShowStatistics);
    EXPECT_EQ(Controls().statisticsAddress->text().indexOf("s3cret"), -1);

    // The flaky site goes down and comes back: one notification each, the second replacing
    // the first; the quiet site, whose alert option is off, never has one.
    Move(1, dead);
    ASSERT_TRUE(WaitFor([&] { return service.calls.size() == 1; }));
    EXPECT_EQ(window->Tray()->ToolTip().toStdString(), "Wexfold\nDown: flaky, quiet");
    Move(1, page);
    ASSERT_TRUE(WaitFor([&] { return service.calls.size() == 2; }));
    WaitFor([] { return false; }, std::chrono::seconds(2));
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_TRUE(
        service.calls[0].body.startsWith("'flaky' is down: " + QString::fromStdString(dead)));
    EXPECT_EQ(service.calls[1].replaces, service.calls[0].id);
    EXPECT_TRUE(service.calls[1].body.startsWith("'flaky' is back: "));

    // A click on the notification shows the site's Statistics page.
    QDBusMessage click = QDBusMessage::createSignal(kPath, kService, "ActionInvoked");
    click << service.calls[1].id << QStringLiteral("default");
    serviceBus.send(click);
    ASSERT_TRUE(WaitFor([&] {
        return window->CurrentPage() == Page::kStatistics && window->SelectionMark() == 1;
    }));

    // Without a service the message goes to the fallback (the tray's own message).
    serviceBus.unregisterService(kService);
    QString fallbackBody;
    notifier->SetFallback(
        [&](const QString&, const QString& body, const QString&) { fallbackBody = body; });
    notifier->Show("quiet", "gone", true);
    EXPECT_TRUE(WaitFor([&] { return fallbackBody == "gone"; }));
}

}  // namespace
}  // namespace wexfold::testing
