// The commands of the menus, buttons, tray items and the site chooser.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/sreport.h"
#include "app/dialogs/urlsettings.h"
#include "app/widgets/UpdateSwitch.h"
#include "app/window/MenuFill.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/logs/ReportTab.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

constexpr const char* kHelpDocument = "wexfold-help.html";
constexpr const char* kChineseHelp = "wexfold-help-zh.html";

}  // namespace

void T_wexfoldDlg::OnCommand(int command) {
    // Nothing acts on the sites before they are loaded, a few milliseconds after the start.
    if (!started_ && command != command::kShowWindow) return;
    switch (command) {
        case command::kAbout: {
            CAboutDlg about(this);
            about.exec();
            return;
        }
        case command::kShowWindow:
            show();
            raise();
            activateWindow();
            return;
        case command::kStart:
            return CommandStart();
        case command::kRename:
            return CommandRename();
        case command::kShowReport:
            return CommandReport();
        case command::kShowStatistics:
            return CommandStatistics();
        case command::kStop:
            return CommandStop();
        case command::kExit:
            OnCancel();
            return;
        case command::kAdvanced:
        case 1005:
            return CommandAdvanced();
        case command::kAdd:
        case 1004:
            return CommandAdd();
        case command::kRemove:
        case 1006:
            return CommandRemove();
        case command::kHideStatistics:
            return ApplyStrip(HideStatisticsPage(tabs_));
        case command::kHideReport:
            return ShowTabPage(kShowReportPage, false);
        case command::kHelp:
            return CommandHelp();
        case command::kImport:
            return CommandImport();
        case command::kExport:
            return CommandExport();
        case 1011:
            return UpdateButton();
        case 1017:
            return ToggleAutoCheck();
        case 1041:
        case 1101:
            return CommandChooser();
        case 1115:
            return CommandViewReport();
        default:
            break;
    }
    const SiteCommand site = DecodeSiteCommand(command, sites_.size());
    if (site.kind == SiteCommand::kTrayToggle) TrayToggle(site.site);
    if (site.kind == SiteCommand::kChooser) ChooseSite(site.site);
}

void T_wexfoldDlg::OnTrayCommand(int command) {
    const SiteCommand site = DecodeSiteCommand(command, sites_.size());
    const bool stopsSite = site.kind == SiteCommand::kTrayToggle &&
                           sites_[static_cast<std::size_t>(site.site)].active != 0;
    if (stopsSite || command == command::kExit || command == command::kAbout) BringToFront();
    OnCommand(command);
}

void T_wexfoldDlg::BringToFront() {
    if (isMinimized() || !isVisible()) showNormal();
    raise();
    activateWindow();
}

void T_wexfoldDlg::RaiseIfShown() {
    if (!isVisible() || isMinimized()) return;
    raise();
    activateWindow();
}

int T_wexfoldDlg::SelectionMark() const {
    // Keyboard focus alone makes a row current without selecting it: only a selected row is
    // the user's choice.
    const QListWidgetItem* item = controls_.siteList->currentItem();
    return item != nullptr && item->isSelected() ? controls_.siteList->row(item) : -1;
}

void T_wexfoldDlg::SetSelectionMark(int site) {
    controls_.siteList->setCurrentRow(site, QItemSelectionModel::ClearAndSelect);
}

int T_wexfoldDlg::SelectedSiteIndex() const {
    return SelectedSite(SelectionMark(), sites_.size());
}

void T_wexfoldDlg::StartSite(int site) {
    SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    record.active = 1;
    record.listImage = 0;
    SetListImage(site, record.listImage);
    engine_->ControlMonitor(site, true);
    RefreshTray();
}

bool T_wexfoldDlg::ConfirmStop(int site) {
    const auto& record = sites_[static_cast<std::size_t>(site)];
    return Ask("Stop URL", FormatText(Text(201), SiteNameText(record).c_str()), true, true);
}

void T_wexfoldDlg::StopSite(int site) {
    SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    record.active = 0;
    record.listImage = 1;
    SetListImage(site, record.listImage);
    engine_->ControlMonitor(site, false);
    RefreshTray();
}

void T_wexfoldDlg::CommandStart() {
    const int site = SelectedSiteIndex();
    if (site < 0) {
        Ask("Can't Start!", Text(207), false, false);
        return;
    }
    ShowDetailText(engine_->Monitor(site).statusText);
    controls_.statisticsAddress->setText(ShownAddress(site));
    StartSite(site);
}

void T_wexfoldDlg::CommandStop() {
    const int site = SelectedSiteIndex();
    if (site < 0) {
        Ask("Can't Start!", Text(207), false, false);
        return;
    }
    if (ConfirmStop(site)) StopSite(site);
}

void T_wexfoldDlg::TrayToggle(int site) {
    if (sites_[static_cast<std::size_t>(site)].active != 0) {
        if (ConfirmStop(site)) StopSite(site);
    } else {
        StartSite(site);
    }
}

void T_wexfoldDlg::CommandRename() {
    const int site = SelectedSiteIndex();
    if (site < 0) return;
    renaming_ = site;
    // An editor of our own over the label: the list's own editing reports no change when the
    // text stays the same, and a site's own name must be refused as well.
    delete renameEditor_;
    renameEditor_ = new QLineEdit(controls_.siteList->viewport());
    renameEditor_->setObjectName(QStringLiteral("renameEditor"));
    renameEditor_->setText(
        QString::fromStdString(SiteNameText(sites_[static_cast<std::size_t>(site)])));
    renameEditor_->setGeometry(
        controls_.siteList->visualItemRect(controls_.siteList->item(site)).adjusted(0, 34, 0, 0));
    renameEditor_->installEventFilter(this);
    connect(renameEditor_, &QLineEdit::returnPressed, this,
            [this] { FinishRename(renameEditor_->text().toStdString()); });
    renameEditor_->show();
    renameEditor_->selectAll();
    renameEditor_->setFocus();
}

void T_wexfoldDlg::CommandReport() {
    const int site = SelectedSiteIndex();
    if (site < 0) {
        Ask("Can't view statistics", Text(207), false, false);
        ShowTabPage(kShowReportPage, true);
        return;
    }
    reportUrl_ = sites_[static_cast<std::size_t>(site)].fetchUrl;
    controls_.reportAddress->setText(ShownAddress(site));
    const QDate today = QDateTime::fromSecsSinceEpoch(services_.clock->Now()).date();
    for (const MainControls::Day& row : {controls_.from, controls_.to}) {
        row.year->clear();
        row.year->addItem(QString::number(today.year()));
        row.year->setCurrentIndex(0);
        row.month->setCurrentIndex(today.month() - 1);
        row.day->setText(QString::number(today.day()));
    }
    for (QCheckBox* filter :
         {controls_.brokenFilter, controls_.connectivityFilter, controls_.speedFilter}) {
        filter->setChecked(true);
    }
    ShowTabPage(kShowReportPage, true);
}

void T_wexfoldDlg::CommandStatistics() {
    const int site = SelectedSiteIndex();
    if (site < 0) {
        Ask("Can't view statistics", Text(207), false, false);
        ShowTabPage(kShowStatisticsPage, true);
        return;
    }
    ShowStatisticsOf(site);
    ShowTabPage(kShowStatisticsPage, true);
}

void T_wexfoldDlg::ShowStatisticsOf(int site) {
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    if (engine_->statisticsUrl != record.fetchUrl) {
        engine_->statisticsUrl = record.fetchUrl;
        history_.Clear();
        engine_->statisticsSiteActive = record.active;
    }
    ShowDetailText(engine_->Monitor(site).statusText);
    controls_.statisticsAddress->setText(ShownAddress(site));
}

void T_wexfoldDlg::CommandRemove() {
    const int site = SelectionMark();
    if (site < 0 || site >= static_cast<int>(sites_.size())) {
        Ask("Remove error.", Text(189), false, false);
        return;
    }
    const auto name = SiteNameText(sites_[static_cast<std::size_t>(site)]);
    if (!Ask("Make sure remove?", FormatText(Text(208), name.c_str()), true, false)) return;
    engine_->ControlMonitor(site, false);
    log_.Close(sites_[static_cast<std::size_t>(site)]);
    sites_.erase(sites_.begin() + site);
    RefillSiteList();
    SaveSites();
    engine_->EraseMonitor(site);
    notices_.Erase(site);
    RefreshTray();
}

void T_wexfoldDlg::CommandHelp() {
    // The help page ships inside the program in the user's language; it is written into the
    // data folder, fresh each time, so the desktop's browser opens it as a file.
    const char* page = CurrentLanguage() == Language::kChinese ? kChineseHelp : kHelpDocument;
    const std::filesystem::path document = std::filesystem::current_path() / page;
    const QString target = QString::fromStdString(document.string());
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(":/help/%1").arg(page), target)) return;
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    services_.openDocument(document);
}

void T_wexfoldDlg::CommandAdvanced() {
    SettingsHost host{sites_, *engine_, *services_.prompter, SelectionMark(),
                      [this](const Menu& items) {
                          QMenu menu(this);
                          FillMenu(menu, items);
                          return services_.runMenu(menu, QCursor::pos());
                      },
                      // The pages that showed the site follow its new address.
                      [this](int site, const std::string& oldAddress) {
                          if (engine_->statisticsUrl == oldAddress) ShowStatisticsOf(site);
                          if (reportUrl_ == oldAddress) {
                              reportUrl_ = sites_[static_cast<std::size_t>(site)].fetchUrl;
                              controls_.reportAddress->setText(ShownAddress(site));
                          }
                      }};
    urlsettings dialog(host, this);
    dialog.exec();
}

void T_wexfoldDlg::CommandViewReport() {
    ReportTabChoice choice;
    const MainControls& c = controls_;
    choice.fromMonth = c.from.month->currentIndex();
    choice.fromDay = c.from.day->text().toStdString();
    choice.fromYear = c.from.year->currentText().toStdString();
    choice.toMonth = c.to.month->currentIndex();
    choice.toDay = c.to.day->text().toStdString();
    choice.toYear = c.to.year->currentText().toStdString();
    choice.broken = c.brokenFilter->isChecked();
    choice.connectivity = c.connectivityFilter->isChecked();
    choice.speed = c.speedFilter->isChecked();
    choice.reportUrl = reportUrl_;
    const ReportTabOutcome outcome = ViewReportChoice(choice, sites_, *services_.clock);
    if (outcome.refusal) {
        services_.prompter->Ask(this, outcome.refusal->caption, outcome.refusal->text,
                                PromptButtons::kOk,
                                outcome.refusal->stopIcon ? PromptIcon::kStop : PromptIcon::kNone);
        return;
    }
    sreport dialog(this, outcome.request, *services_.prompter);
    dialog.exec();
}

void T_wexfoldDlg::CommandChooser() {
    RunMenu(SiteChooser(sites_), QCursor::pos());
}

void T_wexfoldDlg::ChooseSite(int site) {
    const SiteRecord& record = sites_[static_cast<std::size_t>(site)];
    if (controls_.statisticsAddress->isVisibleTo(this)) {
        if (engine_->statisticsUrl != record.fetchUrl) SetSelectionMark(site);
        ShowStatisticsOf(site);
    } else if (controls_.reportAddress->isVisibleTo(this)) {
        if (reportUrl_ != record.fetchUrl) {
            reportUrl_ = record.fetchUrl;
            SetSelectionMark(site);
        }
        controls_.reportAddress->setText(ShownAddress(site));
    }
}

}  // namespace wexfold
