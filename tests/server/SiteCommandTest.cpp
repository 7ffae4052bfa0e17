// The site commands in a folder of their own, against the add and settings dialogs' rules.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/server/SiteCommands.h"
#include "core/server/TextEscapes.h"
#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"
#include "core/window/SiteSettings.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

class SiteCommandTest : public ::testing::Test {
  protected:
    SiteCommandTest() { std::ofstream("pw") << "s3cret-pw\n"; }

    // Runs the command written as words ('' for an empty one), input on standard input.
    int Run(const std::string& words, const std::string& input = {}) {
        std::vector<std::string> args;
        std::istringstream split(words);
        for (std::string word; split >> word;) args.push_back(word == "''" ? "" : word);
        out.str("");
        err.str("");
        std::istringstream in(input);
        return RunSiteCommand(args, in, out, err, clock);
    }

    TempFolder folder{true};
    ManualClock clock{1773124200};  // 2026-03-10 12:00 in the tests' time zone
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(SiteCommandTest, RefusesWhatTheDialogsRefuseAndChangesNothing) {
    ASSERT_EQ(Run("--add home home.test"), 0) << err.str();
    const std::string before = FileText("siteurl");
    const std::pair<std::string, std::string> cases[] = {
        // The add dialog's typing limits and a check of its OK (the others: tests/sites).
        {"--add a h.test:70000", FormatText(Text(224), 65535)},
        {"--add elevenbytes h.test", FormatText(Text(223), 10)},
        {"--add a h --user u --password-file -", FormatText(Text(223), 20)},
        {"--add home h.test", FormatText(Text(222), "home")},
        // The settings dialog.
        {"--set home --interval 9s", Text(231)},
        {"--set home --interval 61s", Text(236)},
        {"--set home --interval 0m", Text(235)},
        {"--set home --interval 13h", Text(234)},
        {"--set home --alert 61", Text(233)},
        {"--set home --url ''", Text(218)},
        {"--set home --url h.test:65536", Text(232)},
        {"--set home --url " + std::string(201, 'd'), FormatText(Text(223), 200)},
        {"--set home --user bob", Text(220)},
        {"--set home --password-file pw", Text(219)},
        // What only a command line can get wrong.
        {"--remove nobody", "no site is named 'nobody'"},
        {"--add a http://u:pw@h",
         "give the user name with --user and the password with --password-file, not in the "
         "address"},
        {"--add a h --password-file missing",
         "the password file missing cannot be read: No such file or directory"},
        {"--set home --interval 5x", "--interval takes N, Ns, Nm, Nh or default, not '5x'"},
        {"--set home --alert 1 --no-alert", "--alert and --no-alert exclude each other"},
        {"--list --frobnicate", "unknown option '--frobnicate'"},
    };
    for (const auto& [command, message] : cases) {
        EXPECT_EQ(Run(command, std::string(21, 'p') + "\n"), kCommandRefused) << command;
        EXPECT_EQ(err.str().substr(0, err.str().find('\n')), "wexfold: " + message);
    }
    EXPECT_EQ(FileText("siteurl"), before);
}

TEST_F(SiteCommandTest, ListIsTheListTheDialogsMake) {
    // The password is the first line of standard input, and never shown.
    for (const char* command :
         {"--add shop https://shop.test/page.asp?id=3",
          "--add Shop ftp://files.test:2121/pub --user joe --password-file - --interval 5m "
          "--alert 7 --log broken",
          "--add ip 10.0.0.1:/status?full --interval 2h --no-alert --log off",
          "--set Shop --url ftp://files.test/other --interval 30s", "--list", "--list --json"}) {
        ASSERT_EQ(Run(command, "s3cret-pw\r\nsecond line\n"), 0) << err.str();
        EXPECT_EQ((err.str() + out.str()).find("s3cret"), std::string::npos) << out.str();
    }
    EXPECT_NE(out.str().find("ftp://joe@files.test/other"), std::string::npos) << out.str();
    // The same input typed into the add dialog, then the settings dialog opened on the site.
    std::vector<SiteRecord> sites;
    for (const NewSiteFields& fields :
         {NewSiteFields{"shop", 2, "443", "shop.test/page.asp?id=3", false, "", ""},
          NewSiteFields{"Shop", 1, "2121", "files.test/pub", true, "joe", "s3cret-pw"},
          NewSiteFields{"ip", 0, "", "10.0.0.1/status?full", false, "", ""}}) {
        const FormVerdict verdict = CheckNewSite(fields, sites);
        ASSERT_EQ(verdict.messageId, 0) << verdict.message;
        sites.push_back(verdict.record);
        ReadyNewSite(sites.back());
    }
    for (const std::size_t site : {1, 2}) {
        SettingsForm form;
        form.monitorSite = form.reportSite = form.urlSite = static_cast<int>(site);
        form.monitor = form.monitorShown = MonitorPageOf(sites[site]);
        form.report = form.reportShown = ReportPageOf(sites[site]);
        form.url = UrlPageOf(sites[site]);
        form.monitor.allSites = form.report.allSites = false;
        form.monitor.unit = site == 1 ? kIntervalSeconds : kIntervalHours;
        form.monitor.values[site == 1 ? 0 : 2] = site == 1 ? "30" : "2";
        if (site == 1) {
            form.report.alertMinutes = "7";
            form.report.logAllDetail = false;
            form.url.address = "files.test/other";
            form.url.port = "21";
        } else {
            form.report.alertOnLoss = form.report.logEnabled = false;
        }
        ASSERT_TRUE(ApplySettings(sites, form, [](int) { return 0u; }).applied);
    }
    ASSERT_TRUE(SaveSiteList(sites, "dialogs"));
    EXPECT_TRUE(FileText("siteurl") == FileText("dialogs"));
}

// What --list prints of a stored name: control bytes and broken UTF-8 made harmless.
TEST(TextEscapes, NamesAreQuotedForJsonAndMadePrintable) {
    EXPECT_EQ(JsonString("a\"b\\c\x01\xff"), "\"a\\\"b\\\\c\\u0001\xef\xbf\xbd\"");
    EXPECT_EQ(PrintableText("a\tb\x7f\xc3\xa9"), "a?b?\xc3\xa9");
}

}  // namespace
}  // namespace wexfold::testing
