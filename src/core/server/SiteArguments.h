// The arguments of the site commands (wexfold --add, --set, --remove, --list, --start, --stop,
// --import, --export): which command, its operands and options, and an address given on the
// command line split into the fields of the add and settings dialogs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace wexfold {

struct SiteArguments {
    std::string command;                // "--add", "--set", ...
    std::vector<std::string> operands;  // NAME and URL, NAME, or FILE
    std::optional<std::string> url;     // --add's URL or --set's --url
    std::optional<std::string> interval;
    std::optional<std::string> user;
    std::optional<std::string> passwordFile;  // "-" is standard input
    std::optional<std::string> alert;         // minutes
    bool noUser = false;
    bool noAlert = false;
    std::optional<std::string> log;  // all, broken or off
    bool all = false;
    bool json = false;
    bool replace = false;
    bool keep = false;

    // True when an option of the settings dialog's Monitor or Report page is given.
    bool ChangesMonitorPage() const { return interval.has_value(); }
    bool ChangesReportPage() const { return alert || noAlert || log; }
    bool ChangesUrlPage() const { return url || user || passwordFile || noUser; }
};

// True for the options that start a site command.
bool IsSiteCommand(const std::string& option);

// Reads args (args[0] is the command) into parsed. Returns the complaint about arguments that
// do not fit the command, without the program's name; none when they fit.
std::optional<std::string> ParseSiteArguments(const std::vector<std::string>& args,
                                              SiteArguments& parsed);

// An address as the dialogs hold it: "[http://|https://|ftp://]HOST[:PORT][/PATH][?QUERY]"
// gives the protocol (position in kProtocolChoices; http without one), the port field (the
// protocol's default port without one, as the add dialog fills it) and the "Domain or IP"
// text (host, path and query).
struct AddressFields {
    int protocol = 0;
    std::string port;
    std::string domain;
};

// Splits url into fields. Returns the complaint when it names another protocol, carries a
// user name or password, or has a port that is not a number; none when it fits.
std::optional<std::string> SplitAddress(const std::string& url, AddressFields& fields);

}  // namespace wexfold
