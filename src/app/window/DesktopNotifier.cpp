#include "app/window/DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "core/text/StringTable.h"

namespace wexfold {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallMillis = 5000;

}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::Show(const QString& site, const QString& body, bool urgent) {
    const QString title = QString::fromUtf8(Text(110));
    const auto old = shown_.find(site);
    const uint replaces = old == shown_.end() ? 0 : old->second;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("wexfold"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(urgent ? 2 : 1));
    // The "default" action is the click on the notification itself.
    const QStringList actions{QStringLiteral("default"), QString::fromUtf8(Text(249))};
    call << QStringLiteral("Wexfold") << replaces << QStringLiteral("wexfold") << title << body
         << actions << hints << -1;
    if (!bus_.isConnected()) {
        if (fallback_) fallback_(title, body, site);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallMillis), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, site, title, body](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    if (fallback_) fallback_(title, body, site);
                    return;
                }
                const auto old = shown_.find(site);
                if (old != shown_.end()) sites_.erase(old->second);
                shown_[site] = reply.value();
                sites_[reply.value()] = site;
            });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto found = sites_.find(id);
    if (found != sites_.end() && action == QLatin1String("default")) emit clicked(found->second);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    const auto found = sites_.find(id);
    if (found == sites_.end()) return;
    shown_.erase(found->second);
    sites_.erase(found);
}

}  // namespace wexfold
