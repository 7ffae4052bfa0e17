// The headless monitor checking real servers through libcurl: nginx, vsftpd, and the faults no
// real server makes. What counts as an access and what as a broken link, the course of each
// check in order, and passwords kept out of every printed and written line.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/server/HeadlessMonitor.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "engine/EngineHarness.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"

namespace wexfold::testing {
namespace {

using Tls = NginxServer::Tls;

// How a check ends, by the last line of its site.
enum End { kAccess, kBroken, kCallFailed };
const char* const kEndLines[] = {"..Access successed! end of ",
                                 "! Failed! can't connectivy. end of ", "! Connect URL FAILED!"};

struct Row {
    SiteRecord site;
    End end;
    int connects;                    // "Connecting" lines; -1: not counted
    std::vector<std::string> lines;  // parts of further lines, in the order they come
};

Row R(SiteRecord site, End end, int connects, std::vector<std::string> lines = {}) {
    return {site, end, connects, std::move(lines)};
}

// A site with a login as the dialogs make it: the address composed from its parts.
SiteRecord SiteWithLogin(const char* name, const char* scheme, int port, const char* hostText,
                         const char* password) {
    SiteRecord site = SiteAt(name, "");
    EXPECT_TRUE(AssignScheme(site.url, scheme) && ParseHostText(hostText, site.url) &&
                AssignUser(site.url, kSiteUser) && AssignPassword(site.url, password));
    site.url.port = static_cast<std::uint16_t>(port);
    EXPECT_TRUE(ComposeFetchUrl(site));
    return site;
}

std::string EndOfBody(const std::string& url, std::size_t bytes) {
    const std::string size = std::to_string(bytes);
    return "End download data " + url + "   " + size + " of " + size + " ";
}

// The lines of text that begin with prefix, without it.
std::vector<std::string> LinesOf(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    }
    return lines;
}

std::size_t Count(const std::vector<std::string>& lines, const std::string& part) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(part) != std::string::npos;
    });
}

TEST(FetchVerdictTest, EachServerGivesItsVerdictAndNoLineHoldsAPassword) {
    TempFolder folder(true);
    const TestCertificates certificates(folder.Path());
    NginxServer http(folder.Path(), &certificates);
    FaultServer faults;
    RefusingPort refusing;
    UnansweredConnectPort unanswered;
    const std::string refused = "127.0.0.1:" + std::to_string(refusing.Port());
    const std::size_t page = std::string_view(kPageBody).size();
    std::vector<Row> table = {
        R(SiteAt("page", http.Url("/page")), kAccess, 1,
          {"Finding Resouce.127.0.0.1", "Connecting 127.0.0.1", "Sending request. ",
           "MIME Type available text/html", "Begin download data ",
           EndOfBody(http.Url("/page"), page)}),
        R(SiteAt("hops", http.Url("/hops/2")), kAccess, 4,
          {"Redirecting..." + http.Url("/hops/1"), "Redirecting..." + http.Url("/hops/0"),
           "Redirecting..." + http.Url("/page"), EndOfBody(http.Url("/page"), page)}),
        R(SiteAt("big", http.Url("/big")), kAccess, 1,
          {EndOfBody(http.Url("/big"), kBigBodyBytes)}),
        R(SiteAt("missing", http.Url("/missing")), kAccess, 1),
        R(SiteAt("broken", http.Url("/broken")), kAccess, 1),
        R(SiteWithLogin("private", "http", http.Port(), "127.0.0.1/private", kSitePassword),
          kAccess, 1, {EndOfBody(http.Url("/private"), page)}),
        R(SiteAt("tlsname", http.Url("/page", Tls::kTrusted, "localhost")), kAccess, -1,
          {"Finding Resouce.localhost", "MIME Type"}),
        R(SiteAt("stall", faults.Url("/stall")), kAccess, 1),
        R(SiteAt("malformed", faults.Url("/malformed")), kAccess, 1),
        R(SiteAt("refused", "http://" + refused + "/"), kBroken, 1),
        R(SiteAt("silent", faults.Url("/silent")), kBroken, 1),
        R(SiteAt("early", faults.Url("/reset-early")), kBroken, 1),
        R(SiteAt("selfsig", http.Url("/page", Tls::kSelfSigned)), kBroken, 1),
        R(SiteAt("expired", http.Url("/page", Tls::kExpired)), kBroken, 1),
        R(SiteAt("unanswered", "http://127.0.0.1:" + std::to_string(unanswered.Port()) + "/"),
          kBroken, 1),
        R(SiteAt("ftprefused", "ftp://joe:pw@" + refused + "/file.txt"), kBroken, 1),
        R(SiteAt("gopher", "gopher://127.0.0.1/"), kCallFailed, 0),
        R(SiteAt("bracket", "http://[::1/"), kCallFailed, 0),
    };
    std::unique_ptr<VsftpdServer> ftp;
    if (const std::string missing = VsftpdServer::Unavailable(); missing.empty()) {
        ftp = std::make_unique<VsftpdServer>(folder.Path());
        std::ofstream(ftp->Root() / "status.txt") << "ftp body\n";
        const auto login = [&](const char* name, const char* password) {
            return SiteWithLogin(name, "ftp", ftp->Port(), "127.0.0.1/status.txt", password);
        };
        // A refused login is the server's answer too.
        table.push_back(
            R(login("ftp", kSitePassword), kAccess, 1, {EndOfBody(ftp->Url("/status.txt"), 9)}));
        table.push_back(R(login("ftpwrong", "wrong"), kAccess, 1));
    } else {
        std::printf("FTP sites left out: %s\n", missing.c_str());
    }
    std::vector<SiteRecord> list;
    for (const Row& row : table) list.push_back(row.site);
    ASSERT_TRUE(SaveSiteList(list));

    ManualClock clock{kNoon};
    HeadlessOptions options;
    CurlLimits limits;
    limits.connectTimeoutSeconds = 2;
    limits.stallSeconds = 2;
    limits.caFile = certificates.CaFile();
    options.fetcher = std::make_shared<CurlFetchLoop>(limits);
    options.clock = &clock;
    std::ostringstream out;
    std::ostringstream err;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    options.exitRequested = [&] {
        const auto lines = LinesOf(out.str(), "");
        std::size_t ends = 0;
        for (const char* end : kEndLines) ends += Count(lines, end);
        return ends >= table.size() || std::chrono::steady_clock::now() > deadline;
    };
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();

    for (const Row& row : table) {
        SCOPED_TRACE(row.site.name);
        const auto lines = LinesOf(out.str(), std::string(row.site.name) + ": ");
        for (int end = kAccess; end <= kCallFailed; ++end) {
            EXPECT_EQ(Count(lines, kEndLines[end]), end == row.end ? 1u : 0u) << kEndLines[end];
        }
        // The site answered exactly when its own bytes arrived: an HTTP error is an answer.
        EXPECT_EQ(Count(lines, "Sending request. ") > 0, row.end == kAccess);
        if (row.connects >= 0) {
            EXPECT_EQ(Count(lines, "Connecting "), std::size_t(row.connects));
        }
        auto at = lines.begin();
        std::vector<std::string> expected = row.lines;
        expected.push_back(kEndLines[row.end]);
        for (const std::string& part : expected) {
            at = std::find_if(at, lines.end(), [&](const std::string& line) {
                return line.find(part) != std::string::npos;
            });
            ASSERT_NE(at, lines.end()) << "no line with \"" << part << "\" in its place";
        }
    }
    // The password is in no printed line and no log file, escaped or not.
    std::string logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path() / "log")) {
        if (entry.is_regular_file()) logs += FileText(entry.path());
    }
    EXPECT_NE(logs.find("! Failed! can't connectivy."), std::string::npos);
    for (const char* secret : {"w?rd#1", "rd%231"}) {
        EXPECT_EQ((out.str() + err.str() + logs).find(secret), std::string::npos) << secret;
    }
}

}  // namespace
}  // namespace wexfold::testing
