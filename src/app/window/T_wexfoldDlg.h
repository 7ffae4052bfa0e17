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
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/EngineView.h"
#include "core/engine/MonitorEngine.h"
#include "core/engine/SpeedHistory.h"
#include "core/engine/SyncHandover.h"
#include "core/logs/Clock.h"
#include "core/logs/EventLog.h"
#include "core/shell/Menus.h"
#include "core/shell/TabStrip.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateMessage.h"
#include "core/update/UpdateRecord.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace wexfold {

class AlertWindow;
class CTaskIcon;
class Prompter;
class SpeedGraph;
class TabStripBar;
class UpdateSwitch;

// What the window needs from outside; tests give their own.
struct WindowServices {
    std::shared_ptr<Downloader> downloader;  // the update checker's
    std::shared_ptr<SiteFetcher> fetcher;    // the engine's checks
    const Clock* clock = nullptr;
    Prompter* prompter = nullptr;
    // Shows a pop-up menu and returns the chosen command, 0 for none.
    std::function<int(QMenu& menu, const QPoint& at)> runMenu;
    // Opens a document with the desktop's opener.
    std::function<void(const std::filesystem::path& document)> openDocument;
    // Whether to put an icon into the tray (when the desktop has one).
    bool trayIcon = true;
};

class T_wexfoldDlg final : public QWidget, public EngineView, public UpdateNotify {
    Q_OBJECT

public:
    explicit T_wexfoldDlg(WindowServices services, QWidget* parent = nullptr);
    ~T_wexfoldDlg() override;

    // Loads the site list and the update record of the current folder and starts watching.
    void OnInitDialog();
    // The confirmed exit: asks, then runs ExitSteps. Returns true when the program is to end.
    bool OnCancel();
    // Stops the fetches, saves the site list, writes every exit line and update.date, and
    // ends the program. A termination request of the system runs it without the question.
    void ExitSteps();
    // Every menu item, button and chooser ends here.
    void OnCommand(int command);
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
    QWidget* Control(int id) const;
    QListWidget* SiteList() const { return siteList_; }
    TabStripBar* TabBar() const { return tabBar_; }
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

    // UpdateNotify: every report of the update check, on this thread.
    void OnUpdateStatus(const UpdateMessage& message) override;

signals:
    // The program is to end: the confirmed exit went through, or the desktop closed the window.
    void finished();
    // Control 1008 or 1030 of the UPDATE page shows a new text.
    void updateTextShown(int control, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Page building (MainPages.cpp).
    void BuildControls();
    void BuildTitleButtons();
    QWidget* Place(int id, QWidget* widget, int left, int top, int width, int height);
    void ShowControls(const std::vector<int>& ids, bool show);
    void OnTabSelChange();
    void ApplyStrip(const StripChange& change);
    void ShowTabPage(int page, bool show);
    void RefillSiteList();
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

    // UPDATE page (MainUpdate.cpp).
    bool CheckRunning() const;
    void SetUpdateStatus(int id);
    void ShowUpdateText(int control, const std::string& text);
    void SetCheckCaption(const char* caption);
    void ShowProgressPair(bool show);
    void UpdateButton();
    void StartUpdateDownloads();
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
    bool listFetched_ = false;
    std::uint32_t updateMinutes_ = 0;
    SpeedHistory history_;
    std::string reportUrl_;
    std::vector<Page> tabs_;

    // The five frames of a site's icon, loaded once.
    std::array<QIcon, 5> frames_;
    std::map<int, QWidget*> controls_;
    TabStripBar* tabBar_ = nullptr;
    QListWidget* siteList_ = nullptr;
    SpeedGraph* graph_ = nullptr;
    QPlainTextEdit* detail_ = nullptr;
    QLabel* statisticsLabel_ = nullptr;
    QLabel* reportLabel_ = nullptr;
    QLabel* updateText_ = nullptr;
    UpdateSwitch* updateSwitch_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    AlertWindow* alert_ = nullptr;
    CTaskIcon* tray_ = nullptr;
    QTimer animationTimer_;
    QTimer schedulerTimer_;
    QTimer minuteTimer_;

    int hoveredCell_ = -1;
    bool dragging_ = false;
    QPoint dragOffset_;
    int renaming_ = -1;
    QLineEdit* renameEditor_ = nullptr;
};

}  // namespace wexfold
