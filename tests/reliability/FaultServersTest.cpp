// The fault servers against the libcurl downloader: each fault ends the fetch the way a broken
// site must (bounded, with the right reports and error), a 1 GB body never sits in memory,
// and a server keeps its bounds and stops at once.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <optional>
#include <vector>

#include "ProcStatus.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/FaultServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

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
    Fault fault;
    const char* error;  // a part of the error; empty for success
    bool answered;
    bool mimeType;
    bool bodyStarted;
};

TEST(FaultServersTest, EveryFaultEndsTheFetchWithItsOwnError) {
    TempFolder folder;
    const TestCertificates certificates(folder.Path());
    CurlLimits limits;
    limits.connectTimeoutSeconds = 5;
    limits.stallSeconds = 2;
    limits.transferSeconds = 10;
    limits.caFile = certificates.CaFile();
    CurlDownloader downloader(limits, folder.Path() / "cache");

    const std::vector<Expected> table = {
        {Fault::kHealthy, "", true, true, true},
        {Fault::kRefuse, "connect", false, false, false},
        {Fault::kSilent, "too slow", false, false, false},
        {Fault::kStallAfterHeaders, "too slow", true, true, false},
        {Fault::kDrip, "Operation", true, true, true},
        {Fault::kResetMidBody, "reset", true, true, true},
        {Fault::kHugeBody, "larger than", true, true, true},
        {Fault::kRedirectLoop, "redirects", true, true, false},
        {Fault::kMalformedStatus, "HTTP/0.9", true, false, false},
        {Fault::kExpiredCertificate, "expired", false, false, false},
        {Fault::kSelfSignedCertificate, "self-signed", false, false, false},
        {Fault::kFtpBadLogin, "530", true, false, false},
    };
    for (const Expected& want : table) {
        SCOPED_TRACE(FaultName(want.fault));
        FaultServer server(want.fault, &certificates);
        ReportLog reports;
        const FetchOutcome outcome = downloader.Fetch(server.Url("/file.txt"), reports);
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
        if (want.fault == Fault::kRedirectLoop) {
            EXPECT_EQ(reports.Count(kStatusRedirecting), 10);
        }
        if (want.fault == Fault::kHugeBody) {
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
    FaultServer server(Fault::kHugeBody);
    ReportLog reports;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts afresh
    const long before = StatusField("VmHWM");
    const FetchOutcome outcome = downloader.Fetch(server.Url("/huge"), reports, "/dev/null");
    const long grown = StatusField("VmHWM") - before;
    std::printf("1 GiB body: peak resident size grew by %ld kB\n", grown);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(reports.endProgress, kHugeBodyBytes);
    EXPECT_LT(grown, kBodyHeldBoundKb);
}

int ConnectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

TEST(FaultServersTest, ServerKeepsItsBoundsAndStopsAtOnce) {
    std::vector<int> clients;
    std::optional<FaultServer> server(std::in_place, Fault::kSilent, nullptr,
                                      FaultServerLimits{std::chrono::seconds(30), 3, 2});
    for (int i = 0; i < 5; ++i) clients.push_back(ConnectTo(server->Port()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server->Accepted() < 3 && std::chrono::steady_clock::now() < deadline) ::usleep(10000);
    ::usleep(200000);
    EXPECT_EQ(server->Accepted(), 3);         // the lifetime's connection count
    EXPECT_EQ(server->OpenConnections(), 2);  // the third was closed on arrival
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    const auto stopping = std::chrono::steady_clock::now() - start;
    EXPECT_LT(stopping, std::chrono::seconds(1));
    // The held connections were closed by the server: their clients read the end.
    char byte = 0;
    EXPECT_EQ(::recv(clients[0], &byte, 1, 0), 0);
    EXPECT_EQ(::recv(clients[1], &byte, 1, 0), 0);
    for (const int fd : clients) ::close(fd);
}

}  // namespace
}  // namespace wexfold::testing
