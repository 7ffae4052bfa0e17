#include "app/window/T_wexfoldDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <ctime>

#include "app/widgets/AlertWindow.h"
#include "app/widgets/SpeedGraph.h"
#include "app/widgets/UpdateSwitch.h"
#include "app/window/CTaskIcon.h"
#include "app/window/Prompter.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }
QString Utf8(const char* text) { return QString::fromUtf8(text); }

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
    setWindowIcon(QIcon(QStringLiteral(":/images/app-32.png")));
    setMouseTracking(true);
    // The pages were laid out for an 8-point dialog font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        frames_[i] = QIcon(QStringLiteral(":/images/site-frame-%1.png").arg(i));
    }
    BuildControls();
    alert_ = new AlertWindow();
    tray_ = new CTaskIcon(*this, services_.trayIcon);

    connect(&animationTimer_, &QTimer::timeout, this, [this] { engine_->AnimationTick(); });
    connect(&schedulerTimer_, &QTimer::timeout, this, [this] { engine_->SchedulerTick(); });
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

void T_wexfoldDlg::OnInitDialog() {
    LoadHooks hooks;
    hooks.loaded = [this](SiteRecord& site) { log_.OpenSiteLog(site, false); };
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
        statisticsLabel_->setText(Utf8(Text(189)));
        reportLabel_->setText(Utf8(Text(189)));
    }
    animationTimer_.start(500);
    schedulerTimer_.start(1000);
    minuteTimer_.start(60000);
    if (LoadUpdateRecord(update_)) {
        updateText_->setText(Utf8(RecentUpdateText(update_.lastUpdate)));
    } else {
        update_.autoCheck = 1;
    }
    updater_->autoCheck = update_.autoCheck;
    updateSwitch_->setAutoCheck(update_.autoCheck == 1);
}

bool T_wexfoldDlg::OnCancel() {
    if (!Ask("Exit Warning", Text(206), true, true)) return false;
    ExitSteps();
    return true;
}

void T_wexfoldDlg::ExitSteps() {
    // The workers are released before anything is written, so no event lands between the
    // exit lines and the end.
    animationTimer_.stop();
    schedulerTimer_.stop();
    minuteTimer_.stop();
    engine_->Shutdown(std::chrono::seconds(3));
    SaveSiteList(sites_);
    log_.ExitLogging();
    SaveUpdateRecord(update_);
    emit finished();
}

bool T_wexfoldDlg::Ask(const char* caption, const std::string& text, bool yesNo, bool warning) {
    const PromptAnswer answer = services_.prompter->Ask(
        this, Translate(caption), text, yesNo ? PromptButtons::kYesNo : PromptButtons::kOk,
        warning ? PromptIcon::kWarning : PromptIcon::kNone);
    return answer != PromptAnswer::kNo;
}

void T_wexfoldDlg::closeEvent(QCloseEvent* event) {
    // A close request of the desktop ends the program at once, without the exit steps.
    event->accept();
    emit finished();
}

void T_wexfoldDlg::SiteEvent(int, const std::string&) {}

void T_wexfoldDlg::ShowDetailText(const std::string& text) {
    detail_->setPlainText(Utf8(text));
    detail_->moveCursor(QTextCursor::End);
}

void T_wexfoldDlg::SetListImage(int siteIndex, std::uint32_t image) {
    QListWidgetItem* item = siteList_->item(siteIndex);
    if (item != nullptr) item->setIcon(frames_[image % frames_.size()]);
}

void T_wexfoldDlg::RedrawSiteList() { siteList_->viewport()->update(); }

void T_wexfoldDlg::PaintAlert(const AlertPaint& paint) { alert_->Apply(paint); }

bool T_wexfoldDlg::SpeedGraphVisible() const { return graph_->isVisible(); }

void T_wexfoldDlg::DrawSpeedGraph(std::uint32_t bytes) {
    history_.AddSample(bytes);
    graph_->update();
}

void T_wexfoldDlg::ShowWarning(const char* text) { Ask("Warning", text, false, false); }

}  // namespace wexfold
