// A run against local servers: badges, tooltips, the tray's mark, and desktop notifications
// through a notification service of the test's own on a private session bus.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <regex>

#include "WindowHarness.h"
#include "app/widgets/AlertWindow.h"
#include "app/window/CTaskIcon.h"
#include "app/window/DesktopNotifier.h"
#include "core/engine/CurlDownloader.h"
#include "core/sites/SiteAddress.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"

namespace wexfold::testing {
namespace {

const QString kService = "org.freedesktop.Notifications";
const QString kPath = "/org/freedesktop/Notifications";

// Keeps the body of each Notify call and answers with the id it replaces, else the next one.
struct NotificationService final : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        if (message.member() != "Notify") return false;
        const uint replaces = message.arguments().value(1).toUInt();
        bodies.push_back(message.arguments().value(4).toString());
        ids.push_back(replaces != 0 ? replaces : static_cast<uint>(ids.size()) + 1);
        return bus.send(message.createReply(QVariant::fromValue(ids.back())));
    }
    QStringList bodies;
    std::vector<uint> ids;
};

TEST_F(WindowTest, HealthBadgesTooltipsTrayAndOneNotificationForDownAndBack) {
    QProcess daemon;  // a private session bus, ended with the test
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = daemon.readLine().trimmed();
    NotificationService service;
    QDBusConnection serviceBus = QDBusConnection::connectToBus(address, address + "service");
    ASSERT_TRUE(serviceBus.registerVirtualObject(kPath, &service));
    ASSERT_TRUE(serviceBus.registerService(kService));
    notifier = std::make_shared<DesktopNotifier>(
        QDBusConnection::connectToBus(address, address + "client"));
    downloader = std::make_shared<CurlDownloader>(CurlLimits{}, folder.Path() / "cache");
    const NginxServer http(folder.Path());
    RefusingPort refused;
    const std::string page = http.Url("/page");
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
    const auto tip = [this](int site) { return window->SiteToolTip(site).toStdString(); };
    // Points a site at another address, as when its server goes away or comes back.
    const auto move = [this](int site, const std::string& url) {
        std::snprintf(window->Sites()[site].fetchUrl, SiteRecord::kFetchUrlSize, "%s", url.c_str());
        window->Engine().SiteChanged(site);
    };
    ASSERT_TRUE(WaitFor([&] {
        return window->Badge(0) == SiteBadge::kUp && window->Badge(1) == SiteBadge::kUp &&
               window->Badge(2) == SiteBadge::kDown;
    }));
    // The tooltip tells the verdict and the stages, and the address without its password.
    EXPECT_TRUE(std::regex_match(tip(0), std::regex("up\nhttp://joe@127.0.0.1:[0-9]+/page\n"
                                                    "Up: last check .*\nName lookup [^]*")))
        << tip(0);
    EXPECT_NE(tip(2).find("\nDown: last check "), std::string::npos);
    // The badge is drawn: the down site's picture is red in its corner.
    const QImage picture = window->SiteList()->item(2)->icon().pixmap(32).toImage();
    EXPECT_GT(qRed(picture.pixel(28, 24)), 150);
    EXPECT_LT(qGreen(picture.pixel(28, 24)), 100);
    EXPECT_EQ(window->Tray()->ToolTip().toStdString(), "Wexfold\nDown: quiet");
    window->OnCommand(command::kShowStatistics);
    EXPECT_EQ(Controls().statisticsAddress->text().indexOf("s3cret"), -1);

    // The flaky site goes down and comes back: one notification each, the second replacing
    // the first; the quiet site, whose alert option is off, never has one.
    move(1, dead);
    ASSERT_TRUE(WaitFor([&] { return service.ids.size() == 1; }));
    EXPECT_EQ(window->Tray()->ToolTip().toStdString(), "Wexfold\nDown: flaky, quiet");
    EXPECT_TRUE(window->Alert()->isVisible());
    move(1, page);
    ASSERT_TRUE(WaitFor([&] { return service.ids.size() == 2; }));
    WaitFor([] { return false; }, std::chrono::seconds(2));
    EXPECT_EQ(service.ids, (std::vector<uint>{1, 1}));
    EXPECT_TRUE(service.bodies[0].startsWith("'flaky' is down: " + QString::fromStdString(dead)));
    EXPECT_TRUE(service.bodies[1].startsWith("'flaky' is back: "));
    // A click on the notification shows the site's Statistics page.
    QDBusMessage click = QDBusMessage::createSignal(kPath, kService, "ActionInvoked");
    serviceBus.send(click << 1u << QString("default"));
    ASSERT_TRUE(WaitFor([&] {
        return window->CurrentPage() == Page::kStatistics && window->SelectionMark() == 1;
    }));
}

}  // namespace
}  // namespace wexfold::testing
