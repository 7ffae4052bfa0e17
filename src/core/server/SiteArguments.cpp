#include "core/server/SiteArguments.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/sites/SiteAddress.h"

namespace wexfold {

namespace {

enum Command : unsigned {
    kAdd = 1,
    kSet = 2,
    kRemove = 4,
    kList = 8,
    kStart = 16,
    kStop = 32,
    kImport = 64,
    kExport = 128,
};

struct CommandShape {
    const char* name;
    Command bit;
    std::size_t operands;
    const char* usage;
};

constexpr std::array<CommandShape, 8> kCommands{{
    {"--add", kAdd, 2,
     "--add NAME URL [--interval N[s|m|h]] [--user U --password-file F|-] [--alert MINUTES|"
     "--no-alert] [--log all|broken|off]"},
    {"--set", kSet, 1,
     "--set NAME [--url URL] [--interval N[s|m|h]|default] [--user U] [--password-file F|-] "
     "[--no-user] [--alert MINUTES|--no-alert] [--log all|broken|off]"},
    {"--remove", kRemove, 1, "--remove NAME"},
    {"--list", kList, 0, "--list [--json]"},
    {"--start", kStart, 1, "--start NAME|--all"},
    {"--stop", kStop, 1, "--stop NAME|--all"},
    {"--import", kImport, 1, "--import FILE.wxf [--replace|--keep]"},
    {"--export", kExport, 1, "--export FILE.wxf"},
}};

// An option: a text member when it takes a value, else a flag member.
struct OptionShape {
    const char* name;
    unsigned commands;
    std::optional<std::string> SiteArguments::*value;
    bool SiteArguments::*flag;
};

constexpr std::array<OptionShape, 12> kOptions{{
    {"--url", kSet, &SiteArguments::url, nullptr},
    {"--interval", kAdd | kSet, &SiteArguments::interval, nullptr},
    {"--user", kAdd | kSet, &SiteArguments::user, nullptr},
    {"--password-file", kAdd | kSet, &SiteArguments::passwordFile, nullptr},
    {"--no-user", kSet, nullptr, &SiteArguments::noUser},
    {"--alert", kAdd | kSet, &SiteArguments::alert, nullptr},
    {"--no-alert", kAdd | kSet, nullptr, &SiteArguments::noAlert},
    {"--log", kAdd | kSet, &SiteArguments::log, nullptr},
    {"--all", kStart | kStop, nullptr, &SiteArguments::all},
    {"--json", kList, nullptr, &SiteArguments::json},
    {"--replace", kImport, nullptr, &SiteArguments::replace},
    {"--keep", kImport, nullptr, &SiteArguments::keep},
}};

std::optional<std::string> TwoOf(bool both, const char* one, const char* other) {
    if (!both) return std::nullopt;
    return std::string(one) + " and " + other + " exclude each other";
}

}  // namespace

bool IsSiteCommand(const std::string& option) {
    return std::any_of(kCommands.begin(), kCommands.end(),
                       [&option](const CommandShape& shape) { return option == shape.name; });
}

std::optional<std::string> ParseSiteArguments(const std::vector<std::string>& args,
                                              SiteArguments& parsed) {
    const auto command = std::find_if(kCommands.begin(), kCommands.end(), [&](const auto& shape) {
        return !args.empty() && args[0] == shape.name;
    });
    if (command == kCommands.end()) return "no site command given";
    parsed = {};
    parsed.command = command->name;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            parsed.operands.push_back(arg);
            continue;
        }
        const auto option = std::find_if(kOptions.begin(), kOptions.end(),
                                         [&arg](const auto& shape) { return arg == shape.name; });
        if (option == kOptions.end()) return "unknown option '" + arg + "'";
        if ((option->commands & command->bit) == 0) {
            return arg + " does not go with " + parsed.command;
        }
        if (option->flag != nullptr) {
            parsed.*option->flag = true;
            continue;
        }
        if (i + 1 >= args.size()) return arg + " needs a value";
        if (parsed.*option->value) return arg + " is given twice";
        parsed.*option->value = args[++i];
    }

    std::size_t operands = command->operands;
    if (parsed.all) --operands;  // --all stands for the NAME of --start and --stop
    if (parsed.operands.size() != operands) {
        return std::string("usage: wexfold ") + command->usage;
    }
    if (command->bit == kAdd) {
        parsed.url = parsed.operands[1];
        parsed.operands.pop_back();
    }
    if (command->bit == kSet && !parsed.ChangesMonitorPage() && !parsed.ChangesReportPage() &&
        !parsed.ChangesUrlPage()) {
        return std::string("--set needs an option to change\nusage: wexfold ") + command->usage;
    }
    if (parsed.log && *parsed.log != "all" && *parsed.log != "broken" && *parsed.log != "off") {
        return "--log takes all, broken or off, not '" + *parsed.log + "'";
    }
    if (auto both = TwoOf(parsed.alert && parsed.noAlert, "--alert", "--no-alert")) return both;
    if (auto both = TwoOf(parsed.user && parsed.noUser, "--user", "--no-user")) return both;
    if (auto both = TwoOf(parsed.passwordFile && parsed.noUser, "--password-file", "--no-user")) {
        return both;
    }
    return TwoOf(parsed.replace && parsed.keep, "--replace", "--keep");
}

std::optional<std::string> SplitAddress(const std::string& url, AddressFields& fields) {
    std::string_view rest = url;
    fields.protocol = 0;
    const std::size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string_view::npos && rest.find_first_of("/?") > schemeEnd) {
        const std::string_view scheme = rest.substr(0, schemeEnd);
        const auto choice = std::find_if(kProtocolChoices.begin(), kProtocolChoices.end(),
                                         [&scheme](const ProtocolChoice& c) {
                                             return FindScheme(scheme) == FindScheme(c.scheme);
                                         });
        if (scheme.empty() || choice == kProtocolChoices.end()) {
            return "'" + std::string(scheme) +
                   "' is not a protocol Wexfold watches: give http://, https:// or ftp://";
        }
        fields.protocol = static_cast<int>(choice - kProtocolChoices.begin());
        rest.remove_prefix(schemeEnd + 3);
    }
    const std::size_t hostEnd = std::min(rest.find_first_of("/?"), rest.size());
    std::string_view host = rest.substr(0, hostEnd);
    if (host.find('@') != std::string_view::npos) {
        return "give the user name with --user and the password with --password-file, not in "
               "the address";
    }
    // The port follows the host's last ':'; an IPv6 address stands in brackets.
    const std::size_t bracket = host.rfind(']');
    const std::size_t colon = host.rfind(':');
    const bool hasPort = colon != std::string_view::npos &&
                         (host.front() == '[' ? bracket != std::string_view::npos && colon > bracket
                                              : host.find(':') == colon);
    if (hasPort) {
        const std::string_view port = host.substr(colon + 1);
        if (port.find_first_not_of("0123456789") != std::string_view::npos) {
            return "'" + std::string(port) + "' is not a port number";
        }
        fields.port = port;
        host = host.substr(0, colon);
    } else {
        fields.port = std::to_string(DefaultPort(
            FindScheme(kProtocolChoices[static_cast<std::size_t>(fields.protocol)].scheme)));
    }
    fields.domain = std::string(host) + std::string(rest.substr(hostEnd));
    return std::nullopt;
}

}  // namespace wexfold
