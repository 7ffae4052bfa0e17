// The main window: a frame drawn by the program (title bar, menu cells), the tab strip with
// its four pages, the site list, the tray icon and the alert. It owns the site list and the
// engine, and shows what the engine reports.
#pragma once

#include <QIcon>
#include <QTimer>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/widgets/SitePictures.h"
#include "core/engine/Downloader.h"
#include "core/engine/EngineView.h"
#include "core/engine/MonitorEngine.h"
#include "core/engine/SpeedHistory.h"
#include "core/engine/SyncHandover.h"
#include "core/logs/Clock.h"
#include "core/logs/EventLog.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateMessage.h"
#include "core/update/UpdateRecord.h"
#include "core/window/DialogUnits.h"
#include "core/window/Menus.h"
#include "core/window/SiteStatus.h"
#include "core/window/TabStrip.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace wexfold {

class AlertWindow;
class CTaskIcon;
class DesktopNotifier;
class Prompter;
class SpeedGraph;
class TabStripBar;
class UpdateSwitch;
class MetricsBoard;

// What the window needs from outside; tests give their own.
struct WindowServices {
    // What the update check fetches with: no size or time cap, only the stall limit.
    std::shared_ptr<Downloader> downloader;
    std::shared_ptr<SiteFetcher> fetcher;  // the engine's checks
    const Clock* clock = nullptr;
    Prompter* prompter = nullptr;
    // Shows a pop-up menu and returns the chosen command, 0 for none.
    std::function<int(QMenu& menu, const QPoint& at)> runMenu;
    // Opens a document with the desktop's opener.
    std::function<void(const std::filesystem::path& document)> openDocument;
    // Whether to put an icon into the tray (when the desktop has one).
    bool trayIcon = true;
    // Where the figures of the metrics endpoint are published once a second; null for none.
    MetricsBoard* metrics = nullptr;
    // Desktop notifications of sites going down and coming back; none when unset.
    std::shared_ptr<DesktopNotifier> notifier;
};

// The controls of the tab strip and its pages that the window reads or changes once built.
struct MainControls {
    TabStripBar* tabs = nullptr;
    // URL page.
    QListWidget* siteList = nullptr;
    // Statistics page.
    QLabel* statisticsAddress = nullptr;
    SpeedGraph* graph = nullptr;
    QPlainTextEdit* detail = nullptr;
    // Report page: the site, the first and the last day, the three filters.
    struct Day {
        QComboBox* month = nullptr;
        QLineEdit* day = nullptr;
        QComboBox* year = nullptr;
    };
    QLabel* reportAddress = nullptr;
    Day from;
    Day to;
    QCheckBox* brokenFilter = nullptr;
    QCheckBox* connectivityFilter = nullptr;
    QCheckBox* speedFilter = nullptr;
    // UPDATE page; the status line and the progress bar show only while a check runs.
    QLabel* updateText = nullptr;
    UpdateSwitch* autoCheck = nullptr;
    QLabel* updateStatus = nullptr;
    QProgressBar* updateProgress = nullptr;
    QPushButton* checkButton = nullptr;
};

class T_wexfoldDlg final : public QWidget, public EngineView, public UpdateNotify {
    Q_OBJECT

  public:
    explicit T_wexfoldDlg(WindowServices services, QWidget* parent = nullptr);
    ~T_wexfoldDlg() override;

    // When OnInitDialog loads the sites and starts watching: at once, or once the window has
    // painted itself for the first time, so that a long list never holds the first picture.
    enum class StartUp { kNow, kAfterFirstPaint };

    // Loads the site list and the update record of the current folder and starts watching.
    void OnInitDialog(StartUp when = StartUp::kNow);
    // True once the sites are loaded and watched.
    bool Started() const { return started_; }
    // The confirmed exit: asks, then runs ExitSteps. Returns true when the program is to end.
    bool OnCancel();
    // Stops the fetches, saves the site list, writes every exit line and update.date, and
    // ends the program. A termination request of the system runs it without the question.
    void ExitSteps();
    // Every menu item, button and chooser ends here.
    void OnCommand(int command);
    // A command chosen in the tray menu: a question it asks comes with the window in front.
    void OnTrayCommand(int command);
    // Shows the window, restored, in front and active.
    void BringToFront();
    // Raises the window when it is shown and not minimised.
    void RaiseIfShown();
    // Brings the site just appended at index into service: address, log, list row, fetches.
    void OnSiteAdded(int index);

    // The one-minute tick: the automatic update check.
    void MinuteTick() { AutomaticCheck(); }
    UpdateChecker& Updater() { return *updater_; }
    const UpdateRecord& Record() const { return update_; }

    // Read by the tests and the screenshots.
    std::vector<SiteRecord>& Sites() { return sites_; }
    MonitorEngine& Engine() { return *engine_; }
    const std::vector<Page>& Tabs() const { return tabs_; }
    Page CurrentPage() const;
    const MainControls& Controls() const { return controls_; }
    QListWidget* SiteList() const { return controls_.siteList; }
    // The row the user selected last, -1 when no row is selected.
    int SelectionMark() const;
    // The tooltip of a site's row, and the badge on its picture.
    QString SiteToolTip(int site) const;
    SiteBadge Badge(int site) const;
    TabStripBar* TabBar() const { return controls_.tabs; }
    AlertWindow* Alert() const { return alert_; }
    CTaskIcon* Tray() const { return tray_; }
    const std::string& ReportUrl() const { return reportUrl_; }
    // The menus as the user would open them now.
    Menu FrameMenu(int cell) const;
    Menu TrayMenuNow() const { return TrayMenu(sites_); }
    // Shows a menu through the services and runs the chosen command.
    void RunMenu(const Menu& menu, const QPoint& at);

    // EngineView.
    void SiteEvent(int siteIndex, const std::string& text) override;
    void ShowDetailText(const std::string& text) override;
    void SetListImage(int siteIndex, std::uint32_t image) override;
    void RedrawSiteList() override;
    void PaintAlert(const AlertPaint& paint) override;
    bool SpeedGraphVisible() const override;
    void DrawSpeedGraph(std::uint32_t bytes) override;
    void ShowWarning(const char* text) override;
    void HealthChanged(int siteIndex) override;

    // UpdateNotify: every report of the update check, on this thread.
    void OnUpdateStatus(const UpdateMessage& message) override;

  signals:
    // The sites are loaded and watched.
    void startedWatching();
    // The program is to end: the confirmed exit went through, or the desktop closed the window.
    void finished();
    // The UPDATE page's text or its status line shows a new text.
    void updateTextShown(QLabel* label, const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void StartWatching();

    // Page building (MainPages.cpp).
    void BuildControls();
    void BuildTitleButtons();
    // Puts a control of a page at its place in dialog units; the page shows and hides it.
    template <typename Widget>
    Widget* Place(Page page, Widget* widget, const DialogRect& where);
    QGroupBox* Frame(Page page, const char* english, const DialogRect& where);
    MainControls::Day DayRow(int top);
    void OnTabSelChange();
    void ApplyStrip(const StripChange& change);
    void ShowTabPage(int page, bool show);
    void RefillSiteList();
    void SetSelectionMark(int site);
    // The tray's mark and tooltip after a site's state changed.
    void RefreshTray();
    void Notify(int site, SiteNotice notice);
    // The Statistics page of the site with this name, the window in front.
    void ShowSiteByName(const QString& name);
    // The address of a site as labels show it.
    QString ShownAddress(int site) const;
    void OnSiteClicked(const QPoint& at);
    // Ends the in-place rename; no text means it was cancelled.
    void FinishRename(const std::optional<std::string>& text);

    // Commands (MainCommands.cpp).
    int SelectedSiteIndex() const;
    void StartSite(int site);
    bool ConfirmStop(int site);
    void StopSite(int site);
    void CommandStart();
    void CommandStop();
    void CommandRename();
    void CommandReport();
    void CommandStatistics();
    void CommandAdd();
    void CommandImport();
    void CommandViewReport();
    void CommandAdvanced();
    void CommandExport();
    void CommandRemove();
    void CommandHelp();
    void CommandChooser();
    void ChooseSite(int site);
    void TrayToggle(int site);
    void ShowStatisticsOf(int site);
    // A message box; true when the answer was Yes (always for an OK box).
    bool Ask(const char* caption, const std::string& text, bool yesNo, bool warning);
    void MinimiseAndSave();
    // Saves the site list; false, with the reason on standard error, when it could not.
    bool SaveSites();
    // A failed save stays out of the window, as no dialog of the program shows one; its
    // reason goes to standard error, where a terminal or the journal keeps it.
    static void ReportFailure(const Result& result);

    // UPDATE page (MainUpdate.cpp).
    bool CheckRunning() const;
    void SetUpdateStatus(int id);
    void ShowUpdateText(QLabel* label, const std::string& text);
    void SetCheckCaption(const char* caption);
    void ShowProgressPair(bool show);
    void UpdateButton();
    void AutomaticCheck();
    void ToggleAutoCheck();

    // Frame (MainFrame.cpp).
    int MenuCellAt(const QPoint& at) const;
    void OpenFrameMenu(int cell);

    WindowServices services_;
    std::vector<SiteRecord> sites_;
    EventLog log_;
    std::shared_ptr<SyncHandover> handover_;
    std::unique_ptr<MonitorEngine> engine_;
    UpdateRecord update_;
    std::unique_ptr<UpdateChecker> updater_;
    std::uint32_t updateMinutes_ = 0;
    SpeedHistory history_;
    std::string reportUrl_;
    std::vector<Page> tabs_;

    // The frames of a site's picture with their badges, made on first use.
    SitePictures pictures_;
    NoticeTracker notices_;
    // The site of the last notification, for a click on the tray's message.
    QString lastNoticeSite_;
    MainControls controls_;
    // Every control of the four pages with its page, but the UPDATE page's progress pair.
    std::vector<std::pair<Page, QWidget*>> pageControls_;
    AlertWindow* alert_ = nullptr;
    CTaskIcon* tray_ = nullptr;
    QTimer animationTimer_;
    QTimer schedulerTimer_;
    QTimer minuteTimer_;

    bool started_ = false;
    bool startAfterPaint_ = false;
    // The detail box's text, put in once per turn of the event loop however often it changes.
    std::string detailText_;
    bool detailPending_ = false;
    int hoveredCell_ = -1;
    bool dragging_ = false;
    QPoint dragOffset_;
    int renaming_ = -1;
    QLineEdit* renameEditor_ = nullptr;
};

}  // namespace wexfold
