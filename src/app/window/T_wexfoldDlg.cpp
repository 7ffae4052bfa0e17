#include "app/window/T_wexfoldDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <ctime>

#include "app/widgets/AlertWindow.h"
#include "app/widgets/SpeedGraph.h"
#include "app/widgets/UpdateSwitch.h"
#include "app/window/CTaskIcon.h"
#include "app/window/DesktopNotifier.h"
#include "app/window/Prompter.h"
#include "core/server/Metrics.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}
QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// "Recent Update: " and the time of the last update in the long local form.
std::string RecentUpdateText(std::int64_t lastUpdate) {
    const std::time_t time = static_cast<std::time_t>(lastUpdate);
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[128] = "";
    std::strftime(stamp, sizeof stamp, "%c", &local);
    return std::string(Text(115)) + stamp;
}

}  // namespace

T_wexfoldDlg::T_wexfoldDlg(WindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      services_(std::move(services)),
      log_(*services_.clock, sites_),
      handover_(std::make_shared<SyncHandover>([this] {
          QMetaObject::invokeMethod(
              this, [handover = handover_] { handover->Drain(); }, Qt::QueuedConnection);
      })) {
    engine_ = std::make_unique<MonitorEngine>(sites_, log_, *this, services_.fetcher, handover_);
    updater_ = std::make_unique<UpdateChecker>(*services_.downloader, handover_, *this);
    setWindowTitle(Utf8(Text(110)));
    setWindowIcon(ProgramIcon());
    setMouseTracking(true);
    // The pages were laid out for an 8-point dialog font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    BuildControls();
    alert_ = new AlertWindow();
    tray_ = new CTaskIcon(*this, services_.trayIcon);
    if (services_.notifier) {
        // Without a notification service the tray's own message stands in; without a tray
        // there is only the corner alert.
        services_.notifier->SetFallback(
            [this](const QString& title, const QString& body, const QString&) {
                tray_->ShowMessage(title, body);
            });
        connect(services_.notifier.get(), &DesktopNotifier::clicked, this,
                &T_wexfoldDlg::ShowSiteByName);
    }
    connect(tray_, &CTaskIcon::messageClicked, this, [this] {
        if (!lastNoticeSite_.isEmpty()) ShowSiteByName(lastNoticeSite_);
    });

    connect(&animationTimer_, &QTimer::timeout, this, [this] { engine_->AnimationTick(); });
    connect(&schedulerTimer_, &QTimer::timeout, this, [this] {
        engine_->SchedulerTick();
        if (services_.metrics != nullptr) services_.metrics->Publish(sites_, *engine_);
    });
    connect(&minuteTimer_, &QTimer::timeout, this, [this] { AutomaticCheck(); });
}

T_wexfoldDlg::~T_wexfoldDlg() {
    animationTimer_.stop();
    schedulerTimer_.stop();
    minuteTimer_.stop();
    updater_.reset();
    engine_->Shutdown(std::chrono::seconds(3));
    delete alert_;
}

void T_wexfoldDlg::OnInitDialog(StartUp when) {
    if (when == StartUp::kNow) {
        StartWatching();
        return;
    }
    startAfterPaint_ = true;
    // A window that is never painted (kept hidden by the desktop) starts all the same.
    QTimer::singleShot(1000, this, [this] {
        if (startAfterPaint_) StartWatching();
    });
}

void T_wexfoldDlg::StartWatching() {
    if (started_) return;
    started_ = true;
    startAfterPaint_ = false;
    LoadHooks hooks;
    hooks.loaded = [this](SiteRecord& site) { log_.OpenSiteLog(site); };
    LoadSiteList({}, sites_, hooks);
    if (!sites_.empty()) {
        RefillSiteList();
        engine_->statisticsSiteActive = 1;
        engine_->statisticsUrl = sites_[0].fetchUrl;
        reportUrl_ = sites_[0].fetchUrl;
        engine_->ControlMonitor(kAllSites, true);
        CommandReport();
        CommandStatistics();
        ShowTabPage(0, true);
    } else {
        controls_.statisticsAddress->setText(Utf8(Text(189)));
        controls_.reportAddress->setText(Utf8(Text(189)));
    }
    animationTimer_.start(500);
    schedulerTimer_.start(1000);
    minuteTimer_.start(60000);
    if (LoadUpdateRecord(update_)) {
        controls_.updateText->setText(Utf8(RecentUpdateText(update_.lastUpdate)));
    } else {
        update_.autoCheck = 1;
    }
    updater_->autoCheck = update_.autoCheck;
    controls_.autoCheck->setAutoCheck(update_.autoCheck == 1);
    emit startedWatching();
}

bool T_wexfoldDlg::OnCancel() {
    if (!Ask("Exit Warning", Text(206), true, true)) return false;
    ExitSteps();
    return true;
}

void T_wexfoldDlg::ExitSteps() {
    // Before the sites were loaded there is nothing to save: the files stay as they are.
    if (!started_) {
        emit finished();
        return;
    }
    // The workers are released before anything is written, so no event lands between the
    // exit lines and the end.
    animationTimer_.stop();
    schedulerTimer_.stop();
    minuteTimer_.stop();
    engine_->Shutdown(std::chrono::seconds(3));
    SaveSites();
    log_.ExitLogging();
    ReportFailure(SaveUpdateRecord(update_));
    emit finished();
}

bool T_wexfoldDlg::Ask(const char* caption, const std::string& text, bool yesNo, bool warning) {
    const PromptAnswer answer = services_.prompter->Ask(
        this, Translate(caption), text, yesNo ? PromptButtons::kYesNo : PromptButtons::kOk,
        warning ? PromptIcon::kWarning : PromptIcon::kNone);
    return answer != PromptAnswer::kNo;
}

void T_wexfoldDlg::keyPressEvent(QKeyEvent* event) {
    // Escape is the dialog's cancel command: the confirmed exit.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        OnCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void T_wexfoldDlg::closeEvent(QCloseEvent* event) {
    // A close request of the desktop ends the program at once, without the exit steps.
    event->accept();
    emit finished();
}

void T_wexfoldDlg::SiteEvent(int, const std::string&) {}

void T_wexfoldDlg::ShowDetailText(const std::string& text) {
    detailText_ = text;
    if (detailPending_) return;
    detailPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            detailPending_ = false;
            controls_.detail->setPlainText(Utf8(detailText_));
            controls_.detail->moveCursor(QTextCursor::End);
        },
        Qt::QueuedConnection);
}

void T_wexfoldDlg::SetListImage(int siteIndex, std::uint32_t image) {
    QListWidgetItem* item = controls_.siteList->item(siteIndex);
    if (item != nullptr) item->setIcon(pictures_.Picture(image, Badge(siteIndex)));
}

SiteBadge T_wexfoldDlg::Badge(int site) const {
    if (site < 0 || site >= static_cast<int>(sites_.size())) return SiteBadge::kUnchecked;
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    return BadgeOf(record, site < engine_->MonitorCount() ? engine_->Health(site) : SiteHealth{});
}

QString T_wexfoldDlg::SiteToolTip(int site) const {
    if (site < 0 || site >= static_cast<int>(sites_.size())) return {};
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    return Utf8(wexfold::SiteTooltip(
        record, site < engine_->MonitorCount() ? engine_->Health(site) : SiteHealth{}));
}

QString T_wexfoldDlg::ShownAddress(int site) const {
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    return Utf8(DisplayAddress(record.fetchUrl, record.url));
}

void T_wexfoldDlg::HealthChanged(int siteIndex) {
    if (siteIndex < 0 || siteIndex >= static_cast<int>(sites_.size())) return;
    SetListImage(siteIndex, sites_[static_cast<std::size_t>(siteIndex)].listImage);
    RefreshTray();
    const SiteRecord& record = sites_[static_cast<std::size_t>(siteIndex)];
    const SiteNotice notice =
        notices_.CheckEnded(siteIndex, record, engine_->Health(siteIndex).verdict);
    if (notice != SiteNotice::kNone) Notify(siteIndex, notice);
}

void T_wexfoldDlg::RefreshTray() {
    std::vector<std::string> down;
    for (int i = 0; i < static_cast<int>(sites_.size()) && i < engine_->MonitorCount(); ++i) {
        const SiteRecord& site = sites_[static_cast<std::size_t>(i)];
        if (CountsAsDown(site, engine_->Health(i))) down.push_back(SiteNameText(site));
    }
    tray_->ShowDown(down);
}

void T_wexfoldDlg::Notify(int site, SiteNotice notice) {
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    const QString name = Utf8(SiteNameText(record));
    const QString body = Utf8(NoticeText(notice, record, engine_->Health(site).lastCheck));
    lastNoticeSite_ = name;
    if (services_.notifier) {
        services_.notifier->Show(name, body, notice == SiteNotice::kDown);
    } else {
        tray_->ShowMessage(Utf8(Text(110)), body);
    }
}

void T_wexfoldDlg::ShowSiteByName(const QString& name) {
    for (int i = 0; i < static_cast<int>(sites_.size()); ++i) {
        if (Utf8(SiteNameText(sites_[static_cast<std::size_t>(i)])) != name) continue;
        BringToFront();
        SetSelectionMark(i);
        CommandStatistics();
        return;
    }
}

void T_wexfoldDlg::RedrawSiteList() {
    controls_.siteList->viewport()->update();
}

void T_wexfoldDlg::PaintAlert(const AlertPaint& paint) {
    // The alert names a site by its fetch address; it shows it without the password.
    AlertPaint shown = paint;
    for (AlertText& text : shown.texts) {
        for (const SiteRecord& site : sites_) {
            if (text.text == site.fetchUrl) {
                text.text = DisplayAddress(site.fetchUrl, site.url);
                break;
            }
        }
    }
    alert_->Apply(shown);
}

bool T_wexfoldDlg::SpeedGraphVisible() const {
    return controls_.graph->isVisible();
}

void T_wexfoldDlg::DrawSpeedGraph(std::uint32_t bytes) {
    history_.AddSample(bytes);
    controls_.graph->update();
}

void T_wexfoldDlg::ShowWarning(const char* text) {
    Ask("Warning", text, false, false);
}

}  // namespace wexfold
