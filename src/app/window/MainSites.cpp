// Sites entering the list: the add dialog, and import and export of ".wxf" files.
#include <QListWidget>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/dialogs/addnewDlg.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

void T_wexfoldDlg::CommandAdd() {
    if (sites_.size() >= kMaxSites) {
        Ask("Sites too much!", Translate("You can't add more than 256 urls!"), false, false);
        return;
    }
    addnewDlg dialog(this, sites_, *services_.prompter, [this](int index) { OnSiteAdded(index); });
    dialog.exec();
}

bool T_wexfoldDlg::SaveSites() {
    const Result saved = SaveSiteList(sites_);
    ReportFailure(saved);
    return static_cast<bool>(saved);
}

void T_wexfoldDlg::ReportFailure(const Result& result) {
    if (!result) std::fprintf(stderr, "wexfold: %s\n", result.Message().c_str());
}

void T_wexfoldDlg::OnSiteAdded(int index) {
    SiteRecord& site = sites_[static_cast<std::size_t>(index)];
    ReadyNewSite(site);
    log_.OpenSiteLog(site);
    SaveSites();
    controls_.siteList->insertItem(index, QString::fromStdString(SiteNameText(site)));
    engine_->ControlMonitor(kAppendedSite, true);
    SetListImage(index, site.listImage);
    if (sites_.size() == 1) {
        SetSelectionMark(0);
        CommandReport();
        CommandStatistics();
    }
}

void T_wexfoldDlg::CommandExport() {
    const std::string target = services_.prompter->ChooseFile(this, true);
    if (target.empty()) return;
    // The copy is taken after a save, so it holds the settings as they are now; a list that
    // could not be saved is not copied, as the copy would be an older one.
    std::error_code error;
    const bool copied =
        SaveSites() &&
        std::filesystem::copy_file(SiteListPath(), target,
                                   std::filesystem::copy_options::overwrite_existing, error);
    if (!copied) {
        Ask("Error", Translate("The site list could not be written to the chosen file."), false,
            true);
    }
}

void T_wexfoldDlg::CommandImport() {
    const std::string source = services_.prompter->ChooseFile(this, false);
    if (source.empty()) return;
    LoadHooks hooks;
    hooks.maxSites = kMaxSites;
    // Imported sites get their log folders, since they come from elsewhere.
    hooks.loaded = [this](SiteRecord& site) { log_.OpenSiteLog(site); };
    hooks.askReplace = [this](const SiteRecord& site) {
        return Ask("Load URL question.", FormatText(Text(228), SiteNameText(site).c_str()), true,
                   false);
    };
    // A new site keeps the state its record brings, and is handed to the engine.
    hooks.appended = [this](int index) {
        SiteRecord& site = sites_[static_cast<std::size_t>(index)];
        site.listImage = site.active == 1 ? 0 : 1;
        engine_->ControlMonitor(kAppendedSite, true);
    };
    // A replaced site is not restarted: its running monitor takes the new address and
    // interval, and the scheduler follows the state the record brings.
    hooks.replaced = [this](int index) {
        SiteRecord& site = sites_[static_cast<std::size_t>(index)];
        site.listImage = site.active == 1 ? 0 : 1;
        engine_->SiteChanged(index);
    };
    hooks.released = [this](SiteRecord& gone) { log_.Close(gone); };
    std::vector<std::string> refused;
    hooks.refused = [&refused](const SiteRecord& site) { refused.push_back(SiteNameText(site)); };
    std::size_t dropped = 0;
    hooks.full = [&dropped](const SiteRecord&) { ++dropped; };
    LoadSiteList(source, sites_, hooks);
    RefillSiteList();
    SaveSites();
    RefreshTray();
    // One message however many records were refused: a file that is no site list at all
    // would otherwise ask once per record.
    if (refused.size() == 1) {
        Ask("Warning", FormatText(Translate(kUnusableSiteName), refused[0].c_str()), false, false);
    } else if (refused.size() > 1) {
        Ask("Warning", FormatText(Text(248), static_cast<int>(refused.size())), false, false);
    }
    if (dropped != 0) {
        Ask("Sites too much!", Translate("You can't add more than 256 urls!"), false, false);
    }
}

}  // namespace wexfold
