// Desktop notifications through the session's org.freedesktop.Notifications service: one
// notification per site, replaced rather than stacked while the site flaps; a click on it
// (where the service offers actions) names the site.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>

namespace wexfold {

class DesktopNotifier final : public QObject {
    Q_OBJECT

  public:
    // Called with the title, the body and the site's name when no service took the message.
    using Fallback =
        std::function<void(const QString& title, const QString& body, const QString& site)>;

    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    void SetFallback(Fallback fallback) { fallback_ = std::move(fallback); }

    // Shows body under the title "Wexfold" for the site, replacing the site's last one. The
    // call does not wait for the service; when it refuses or does not answer, the fallback
    // gets the message.
    void Show(const QString& site, const QString& body, bool urgent);

  signals:
    // The user clicked the notification of a site.
    void clicked(const QString& site);

  private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

  private:
    QDBusConnection bus_;
    Fallback fallback_;
    std::map<QString, uint> shown_;  // site -> id of its notification on screen
    std::map<uint, QString> sites_;  // and back
};

}  // namespace wexfold
