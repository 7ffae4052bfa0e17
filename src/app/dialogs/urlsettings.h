// The advanced settings dialog: the pages "Monitor", "Report" and "URL Info" over the site
// records in memory. Its rules live in core/window/SiteSettings; this class only shows them.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/engine/MonitorEngine.h"
#include "core/sites/SiteRecord.h"
#include "core/window/Menus.h"
#include "core/window/SiteSettings.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace wexfold {

class Prompter;
class SettingsTabStrip;

// What the dialog takes from the main window, which outlives it.
struct SettingsHost {
    std::vector<SiteRecord>& sites;
    MonitorEngine& engine;
    Prompter& prompter;
    // The row of the site list the user selected last; -1 for none.
    int selectionMark = -1;
    // Shows a pop-up menu at the mouse and returns the chosen command, 0 for none.
    std::function<int(const Menu& menu)> runMenu;
    // A site's fetch address changed (the engine has it already); the window refreshes what
    // shows the old address, such as the Statistics and Report pages' site.
    std::function<void(int site, const std::string& oldAddress)> addressChanged;
};

class urlsettings final : public QDialog {
    Q_OBJECT

  public:
    enum PageIndex { kMonitorPage = 0, kReportPage = 1, kUrlPage = 2 };

    explicit urlsettings(SettingsHost host, QWidget* parent = nullptr);

    // Runs Apply; true when it went through. OK runs it too and closes only then.
    bool OnApply();
    void accept() override;

    void ShowPage(int page);
    int CurrentPage() const;
    // A control by its id, with the object name "control<id>".
    QWidget* Control(int id) const;
    // Each page's site, -1 when it has none.
    int PageSite(int page) const { return pageSites_[page]; }

  private:
    // Building the pages (urlsettingsPages.cpp).
    void BuildMonitorPage();
    void BuildReportPage();
    void BuildUrlPage();
    void BuildTargets();
    template <typename T>
    T* Add(int id, T* widget, int left, int top, int width, int height);
    QLineEdit* DigitsEdit(int id, int left, int top, int width, SettingsField field);
    void WatchTyping(QLineEdit* edit, SettingsField field);
    void Colour(int id, bool logChoice = false);
    // Narrows a check box or radio button to its text, so its background ends with it.
    static void FitToText(QWidget* button);

    // Filling the pages for a site.
    void FillMonitorPage(int site);
    void FillReportPage(int site);
    void FillUrlPage(int site);

    // The user's clicks.
    void OnUnitClicked(int unit, bool focus);
    void OnChange();
    void OnProtocolChosen(int protocol);
    void EnableLogChoices(bool enabled);
    void EnableCredentials(bool enabled, bool focus);

    MonitorFields MonitorNow() const;
    ReportFields ReportNow() const;
    SettingsForm Form() const;
    void Refuse(const SettingsMessage& message);
    bool Checked(int id) const;
    std::string Typed(int id) const;

    SettingsHost host_;
    SettingsTabStrip* strip_ = nullptr;
    std::map<int, QWidget*> controls_;
    QButtonGroup* units_ = nullptr;
    QComboBox* protocols_ = nullptr;
    int pageSites_[3] = {-1, -1, -1};
    // What the Monitor and Report pages showed before the user's edits.
    MonitorFields monitorShown_;
    ReportFields reportShown_;
    // The protocol entry Apply assigns; -1 keeps the site's scheme, which no entry names.
    int protocol_ = -1;
};

}  // namespace wexfold
