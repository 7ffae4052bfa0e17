// Broken servers against the libcurl downloader: nginx, vsftpd and the hand-written faults.
// Each fault ends the fetch the way a broken site must (bounded, with the right reports and
// error), and a 1 GiB body never sits in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "ProcStatus.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using Tls = NginxServer::Tls;

class ReportLog final : public ProgressSink {
  public:
    bool OnProgress(const ProgressReport& report) override {
        std::lock_guard lock(mutex_);
        reports_.push_back(report.statusCode);
        if (report.statusCode == kStatusEndDownload) endProgress = report.progress;
        return true;
    }
    bool StopRequested() override { return false; }
    int Count(std::uint32_t code) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(reports_.begin(), reports_.end(), code));
    }
    // A report above 2: what the engine counts as an answer from the site.
    bool Answered() const {
        std::lock_guard lock(mutex_);
        return std::any_of(reports_.begin(), reports_.end(), [](auto code) { return code > 2; });
    }
    std::uint32_t endProgress = 0;

  private:
    mutable std::mutex mutex_;
    std::vector<std::uint32_t> reports_;
};

struct Expected {
    const char* fault;
    std::string url;
    const char* error;  // a part of the error; empty for success
    bool answered;
    bool mimeType;
    bool bodyStarted;
};

TEST(FaultServersTest, EveryFaultEndsTheFetchWithItsOwnError) {
    TempFolder folder;
    const TestCertificates certificates(folder.Path());
    NginxServer http(folder.Path(), &certificates);
    FaultServer faults;
    RefusingPort refusing;
    CurlLimits limits;
    limits.connectTimeoutSeconds = 5;
    limits.stallSeconds = 2;
    limits.transferSeconds = 10;
    limits.caFile = certificates.CaFile();
    CurlDownloader downloader(limits, folder.Path() / "cache");

    std::vector<Expected> table = {
        {"healthy", http.Url("/page"), "", true, true, true},
        {"refuse", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/", "connect", false,
         false, false},
        {"silent", faults.Url("/silent"), "too slow", false, false, false},
        {"reset-early", faults.Url("/reset-early"), "reset", false, false, false},
        {"stall", faults.Url("/stall"), "too slow", true, true, false},
        {"drip", http.Url("/drip"), "Operation", true, false, false},
        {"reset", faults.Url("/reset"), "reset", true, true, true},
        {"huge", http.Url("/huge"), "larger than", true, true, true},
        {"redirect", http.Url("/loop"), "redirects", true, true, false},
        {"malformed", faults.Url("/malformed"), "HTTP/0.9", true, false, false},
        {"expired", http.Url("/page", Tls::kExpired), "expired", false, false, false},
        {"selfsig", http.Url("/page", Tls::kSelfSigned), "self-signed", false, false, false},
    };
    std::unique_ptr<VsftpdServer> ftp;
    if (VsftpdServer::Unavailable().empty()) {
        ftp = std::make_unique<VsftpdServer>(folder.Path());
        table.push_back({"ftp530",
                         "ftp://" + std::string(kSiteUser) +
                             ":wrong@127.0.0.1:" + std::to_string(ftp->Port()) + "/file.txt",
                         "530", true, false, false});
    }
    for (const Expected& want : table) {
        SCOPED_TRACE(want.fault);
        ReportLog reports;
        const FetchOutcome outcome = downloader.Fetch(want.url, reports);
        // Only an address that cannot be fetched at all is a failed call; every server fault
        // is a fetch that ended.
        EXPECT_EQ(outcome.result, FetchResult::kFinished);
        if (want.error[0] == '\0') {
            EXPECT_EQ(outcome.error, "");
        } else {
            EXPECT_NE(outcome.error.find(want.error), std::string::npos) << outcome.error;
        }
        EXPECT_EQ(reports.Answered(), want.answered);
        EXPECT_EQ(reports.Count(kStatusMimeType) > 0, want.mimeType);
        EXPECT_EQ(reports.Count(kStatusBeginDownload) > 0, want.bodyStarted);
        if (want.url == http.Url("/loop")) {
            EXPECT_EQ(reports.Count(kStatusRedirecting), 10);
        }
        if (want.url == http.Url("/huge")) {
            EXPECT_LE(std::filesystem::file_size(outcome.file), limits.maxBodyBytes);
        }
        if (!outcome.file.empty()) std::filesystem::remove(outcome.file);
    }
}

// Without the size cap the body is streamed through: all of it arrives, and the resident size
// stays far below it.
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps up to 256 MB of freed memory in quarantine; still far below the body.
constexpr long kBodyHeldBoundKb = 512 * 1024;
#else
constexpr long kBodyHeldBoundKb = 32 * 1024;
#endif

TEST(FaultServersTest, AGigabyteBodyIsStreamedNotHeld) {
    TempFolder folder;
    CurlLimits limits;
    limits.maxBodyBytes = 0;
    CurlDownloader downloader(limits, folder.Path() / "cache");
    NginxServer http(folder.Path());
    ReportLog reports;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts afresh
    const long before = StatusField("VmHWM");
    const FetchOutcome outcome = downloader.Fetch(http.Url("/huge"), reports, "/dev/null");
    const long grown = StatusField("VmHWM") - before;
    std::printf("1 GiB body: peak resident size grew by %ld kB\n", grown);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(reports.endProgress, kHugeBodyBytes);
    EXPECT_LT(grown, kBodyHeldBoundKb);
}

}  // namespace
}  // namespace wexfold::testing
