#include "core/server/SiteCommands.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <utility>

#include "core/logs/EventLog.h"
#include "core/server/SiteArguments.h"
#include "core/server/SiteListing.h"
#include "core/sites/FolderLock.h"
#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"
#include "core/window/Menus.h"
#include "core/window/SiteSettings.h"

namespace wexfold {

namespace {

using Refusal = std::optional<std::string>;

int Refuse(std::ostream& err, const std::string& message) {
    err << "wexfold: " << message << "\n";
    return kCommandRefused;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int FindSite(const std::vector<SiteRecord>& sites, const std::string& name) {
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (SiteNameText(sites[i]) == name) return static_cast<int>(i);
    }
    return -1;
}

std::string NoSuchSite(const std::string& name) {
    return "no site is named '" + name + "'";
}

// The first line of file, or of in for "-"; from a terminal it is read without echo.
Refusal ReadPassword(const std::string& file, std::istream& in, std::string& password) {
    if (file == "-") {
        termios saved{};
        const bool terminal = &in == &std::cin && tcgetattr(STDIN_FILENO, &saved) == 0;
        if (terminal) {
            std::cerr << "Password: " << std::flush;
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        std::getline(in, password);
        if (terminal) {
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            std::cerr << "\n";
        }
    } else {
        std::ifstream stream(file);
        if (!stream)
            return "the password file " + file + " cannot be read: " + std::strerror(errno);
        std::getline(stream, password);
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return std::nullopt;
}

Refusal Typed(SettingsField field, const std::string& text) {
    const TypedCheck typed = CheckTyped(field, text);
    if (typed.message.Refuses()) return typed.message.text;
    return std::nullopt;
}

// --interval on the Monitor page: the radio of its unit and the unit's edit.
Refusal PutInterval(const std::string& text, MonitorFields& monitor) {
    if (text == "default") {
        monitor.unit = kIntervalDefault;
        return std::nullopt;
    }
    static constexpr std::string_view kUnits = "smh";
    std::string digits = text;
    std::size_t unit = 0;
    if (!digits.empty() && kUnits.find(digits.back()) != std::string_view::npos) {
        unit = kUnits.find(digits.back());
        digits.pop_back();
    }
    if (!AllDigits(digits)) {
        return "--interval takes N, Ns, Nm, Nh or default, not '" + text + "'";
    }
    static constexpr SettingsField kEdits[] = {SettingsField::kSeconds, SettingsField::kMinutes,
                                               SettingsField::kHours};
    if (Refusal refusal = Typed(kEdits[unit], digits)) return refusal;
    monitor.unit = static_cast<int>(unit) + 1;
    monitor.values[unit] = digits;
    return std::nullopt;
}

// --alert, --no-alert and --log on the Report page.
Refusal PutReport(const SiteArguments& args, ReportFields& report) {
    if (args.noAlert) report.alertOnLoss = false;
    if (args.alert) {
        if (!AllDigits(*args.alert)) {
            return "--alert takes a number of minutes, not '" + *args.alert + "'";
        }
        if (Refusal refusal = Typed(SettingsField::kAlertMinutes, *args.alert)) return refusal;
        report.alertOnLoss = true;
        report.alertMinutes = *args.alert;
    }
    if (args.log) {
        report.logEnabled = *args.log != "off";
        if (report.logEnabled) report.logAllDetail = *args.log == "all";
    }
    return std::nullopt;
}

// --url, --user, --password-file and --no-user on the URL Info page.
Refusal PutUrl(const SiteArguments& args, const std::string& password, UrlFields& url) {
    if (args.url) {
        AddressFields address;
        if (Refusal refusal = SplitAddress(*args.url, address)) return refusal;
        if (Refusal refusal = Typed(SettingsField::kAddress, address.domain)) return refusal;
        if (Refusal refusal = Typed(SettingsField::kPort, address.port)) return refusal;
        url.address = address.domain;
        url.protocol = address.protocol;
        url.port = address.port;
    }
    if (args.noUser) url.authentication = false;
    if (args.user) {
        if (Refusal refusal = Typed(SettingsField::kUser, *args.user)) return refusal;
        url.authentication = true;
        url.user = *args.user;
    }
    if (args.passwordFile) {
        if (Refusal refusal = Typed(SettingsField::kPassword, password)) return refusal;
        url.authentication = true;
        url.password = password;
    }
    return std::nullopt;
}

// The settings dialog opened on one site, its pages filled with the options given, and Apply.
Refusal ApplyOptions(const SiteArguments& args, const std::string& password, int index,
                     std::vector<SiteRecord>& sites) {
    const SiteRecord& site = sites[static_cast<std::size_t>(index)];
    SettingsForm form;
    form.monitor = MonitorPageOf(site);
    form.monitor.allSites = false;
    form.report = ReportPageOf(site);
    form.report.allSites = false;
    // The pages as the dialog would show them; only what the options change is applied.
    form.monitorShown = form.monitor;
    form.reportShown = form.report;
    if (args.ChangesMonitorPage()) {
        form.monitorSite = index;
        if (Refusal refusal = PutInterval(*args.interval, form.monitor)) return refusal;
    }
    if (args.ChangesReportPage()) {
        form.reportSite = index;
        if (Refusal refusal = PutReport(args, form.report)) return refusal;
    }
    if (args.command == "--set" && args.ChangesUrlPage()) {
        form.urlSite = index;
        form.url = UrlPageOf(site);
        if (Refusal refusal = PutUrl(args, password, form.url)) return refusal;
    }
    // Nothing runs here: the engine's interval is the record's.
    const SettingsOutcome outcome = ApplySettings(sites, form, [&sites](int i) {
        return static_cast<std::uint32_t>(sites[static_cast<std::size_t>(i)].intervalSeconds);
    });
    if (!outcome.applied) return outcome.refusal.text;
    return std::nullopt;
}

// The add dialog's OK with the fields the arguments fill, then OnSiteAdded's steps; options of
// the settings dialog go to the new site before its log is opened, so its interval line
// gives the interval it runs with.
Refusal Add(const SiteArguments& args, const std::string& password, std::vector<SiteRecord>& sites,
            const Clock& clock) {
    if (sites.size() >= kMaxSites) return Translate("You can't add more than 256 urls!");
    AddressFields address;
    if (Refusal refusal = SplitAddress(*args.url, address)) return refusal;
    NewSiteFields fields{args.operands[0],
                         address.protocol,
                         address.port,
                         address.domain,
                         args.user || args.passwordFile,
                         args.user.value_or(""),
                         password};
    // The limits the fields keep while the user types come first.
    for (const auto& [field, text] : {std::pair{FormField::kName, &fields.name},
                                      {FormField::kDomain, &fields.domain},
                                      {FormField::kPort, &fields.port},
                                      {FormField::kUser, &fields.user},
                                      {FormField::kPassword, &fields.password}}) {
        const TypedField typed = CheckTypedField(field, *text);
        if (!typed.message.empty()) return typed.message;
    }
    const FormVerdict verdict = CheckNewSite(fields, sites);
    if (verdict.messageId != 0) return verdict.message;
    sites.push_back(verdict.record);
    const int index = static_cast<int>(sites.size()) - 1;
    ReadyNewSite(sites.back());
    if (Refusal refusal = ApplyOptions(args, password, index, sites)) return refusal;
    EventLog log(clock, sites);
    log.OpenSiteLog(sites.back());
    return std::nullopt;
}

Refusal StartOrStop(const SiteArguments& args, std::vector<SiteRecord>& sites) {
    const bool start = args.command == "--start";
    const int only = args.all ? -1 : FindSite(sites, args.operands[0]);
    if (!args.all && only < 0) return NoSuchSite(args.operands[0]);
    for (std::size_t i = 0; i < sites.size(); ++i) {
        if (only >= 0 && static_cast<int>(i) != only) continue;
        sites[i].active = start ? 1 : 0;
        sites[i].listImage = start ? 0 : 1;
    }
    return std::nullopt;
}

// The import of the window with the answer to every replace question given beforehand. A
// file whose names clash with the list's needs --replace or --keep.
Refusal Import(const SiteArguments& args, std::vector<SiteRecord>& sites, const Clock& clock,
               std::ostream& err) {
    const std::string& file = args.operands[0];
    std::vector<std::string> clashes;
    std::vector<SiteRecord> trial = sites;
    LoadHooks ask;
    ask.askReplace = [&clashes](const SiteRecord& loaded) {
        clashes.push_back("'" + SiteNameText(loaded) + "'");
        return false;
    };
    LoadSiteList(file, trial, ask);
    if (!clashes.empty() && !args.replace && !args.keep) {
        std::string names;
        for (const std::string& name : clashes) names += (names.empty() ? "" : ", ") + name;
        return "the list has sites named " + names +
               " already: give --replace to take the file's, or --keep to keep the list's";
    }

    EventLog log(clock, sites);
    LoadHooks hooks;
    hooks.maxSites = kMaxSites;
    hooks.loaded = [&log](SiteRecord& site) { log.OpenSiteLog(site); };
    hooks.released = [&log](SiteRecord& gone) { log.Close(gone); };
    hooks.askReplace = [&args](const SiteRecord&) { return args.replace; };
    hooks.refused = [&err](const SiteRecord& site) {
        err << "wexfold: " << FormatText(Translate(kUnusableSiteName), SiteNameText(site).c_str())
            << "\n";
    };
    bool full = false;
    hooks.full = [&full](const SiteRecord&) { full = true; };
    LoadSiteList(file, sites, hooks);
    if (full) err << "wexfold: " << Translate("You can't add more than 256 urls!") << "\n";
    return std::nullopt;
}

int Export(const std::string& target, std::ostream& err) {
    if (!std::filesystem::exists(SiteListPath())) {
        return Refuse(err, "this folder has no site list (" + SiteListPath() + ") to export");
    }
    std::error_code error;
    std::filesystem::copy_file(SiteListPath(), target,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error) return 0;
    err << "wexfold: " << target << " could not be written: " << error.message() << "\n";
    return kCommandFailed;
}

}  // namespace

int RunSiteCommand(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
                   std::ostream& err, const Clock& clock) {
    SiteArguments args;
    if (Refusal complaint = ParseSiteArguments(arguments, args)) return Refuse(err, *complaint);
    std::vector<SiteRecord> sites;
    if (args.command == "--list") {
        LoadSiteList({}, sites, {});
        ListSites(sites, args.json, out);
        return 0;
    }
    if (args.command == "--export") return Export(args.operands[0], err);
    if (args.command == "--import" && !std::ifstream(args.operands[0])) {
        return Refuse(err, args.operands[0] + " cannot be read: " + std::strerror(errno));
    }
    std::string password;
    if (args.passwordFile) {
        if (Refusal refusal = ReadPassword(*args.passwordFile, in, password)) {
            return Refuse(err, *refusal);
        }
    }

    const FolderLock lock(args.command);
    if (lock.state() == FolderLock::State::kTaken) {
        return Refuse(err, lock.Reason() + "; stop it before changing its sites");
    }
    if (lock.state() == FolderLock::State::kFailed) return Refuse(err, lock.Reason());
    LoadSiteList({}, sites, {});
    Refusal refusal;
    if (args.command == "--add") {
        refusal = Add(args, password, sites, clock);
    } else if (args.command == "--set" || args.command == "--remove") {
        const int index = FindSite(sites, args.operands[0]);
        if (index < 0) {
            refusal = NoSuchSite(args.operands[0]);
        } else if (args.command == "--set") {
            refusal = ApplyOptions(args, password, index, sites);
        } else {
            sites.erase(sites.begin() + index);
        }
    } else if (args.command == "--import") {
        refusal = Import(args, sites, clock, err);
    } else {
        refusal = StartOrStop(args, sites);
    }
    if (refusal) return Refuse(err, *refusal);
    if (!SaveSiteList(sites)) {
        err << "wexfold: the site list could not be saved to " << SiteListPath() << "\n";
        return kCommandFailed;
    }
    return 0;
}

}  // namespace wexfold
