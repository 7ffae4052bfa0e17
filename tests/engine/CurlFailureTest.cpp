// Fetches through libcurl that do not end in a body: refused and malformed addresses, servers
// that never answer or stall, and transfers the caller stops or aborts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "CurlSink.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/LocalHttpServer.h"
#include "fixtures/RawSocketServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class CurlFailureTest : public ::testing::Test {
protected:
    CurlDownloader MakeDownloader(CurlLimits limits = {}) {
        return CurlDownloader(std::move(limits), temp_.Path() / "cache");
    }
    std::filesystem::path Cache() const { return temp_.Path() / "cache"; }

    TempFolder temp_;
};

TEST_F(CurlFailureTest, AddressesThatCannotBeFetchedFailAsCallsAndLeaveNoFile) {
    CurlDownloader downloader = MakeDownloader();
    for (const std::string url :
         {"", "www.example.com/", "gopher://127.0.0.1/", "file:///etc/passwd",
          "mailto:joe@127.0.0.1", "http://", "http://[::1/", "http://host:99999/",
          "http://exa mple.com/"}) {
        CurlSink sink;
        const FetchOutcome outcome = downloader.Fetch(url, sink);
        EXPECT_EQ(outcome.result, FetchResult::kCallFailed) << url;
        EXPECT_TRUE(outcome.file.empty()) << url;
        EXPECT_NE(outcome.error, "") << url;
        EXPECT_TRUE(sink.Codes().empty()) << url;
    }
    EXPECT_TRUE(FolderEntries(Cache()).empty());
}

TEST_F(CurlFailureTest, PlacesWithoutAServerEndWithoutAnAnswer) {
    RefusingPort refusing;
    UnansweredConnectPort unanswered;
    CurlLimits limits;
    limits.connectTimeoutSeconds = 2;
    CurlDownloader downloader = MakeDownloader(limits);
    const std::vector<std::string> urls = {
        "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/",
        "http://no-such-host.invalid/",
        "http://127.0.0.1:" + std::to_string(unanswered.Port()) + "/",
        "ftp://joe:pw@127.0.0.1:" + std::to_string(refusing.Port()) + "/file.txt",
    };
    for (const auto& url : urls) {
        CurlSink sink;
        const auto start = Clock::now();
        const FetchOutcome outcome = downloader.Fetch(url, sink);
        EXPECT_EQ(outcome.result, FetchResult::kFinished) << url;
        EXPECT_NE(outcome.error, "") << url;
        ASSERT_FALSE(sink.Codes().empty()) << url;
        EXPECT_EQ(sink.Codes().front(), kStatusFindingResource) << url;
        EXPECT_LE(sink.HighestCode(), 2u) << url;
        EXPECT_LT(SecondsSince(start), 10.0) << url;
        std::filesystem::remove(outcome.file);
    }
    EXPECT_TRUE(FolderEntries(Cache()).empty());
}

TEST_F(CurlFailureTest, SilentOrCutTransfersEndAtTheirLimits) {
    SilentServer silent;
    LocalHttpServer http;
    CurlLimits limits;
    limits.stallSeconds = 2;
    CurlDownloader downloader = MakeDownloader(limits);

    CurlSink quiet;
    const auto start = Clock::now();
    const FetchOutcome hung =
        downloader.Fetch("http://127.0.0.1:" + std::to_string(silent.Port()) + "/", quiet);
    EXPECT_EQ(hung.result, FetchResult::kFinished);
    EXPECT_NE(hung.error, "");
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_EQ(silent.Accepted(), 1);
    EXPECT_EQ(quiet.Count(4), 0);

    CurlSink cut;
    const FetchOutcome shortBody = downloader.Fetch(http.Url(routes::kCut), cut);
    EXPECT_EQ(shortBody.result, FetchResult::kFinished);
    EXPECT_NE(shortBody.error, "");
    EXPECT_EQ(cut.Count(14), 0);

    CurlLimits small;
    small.maxBodyBytes = 1 << 20;
    CurlDownloader capped = MakeDownloader(small);
    CurlSink big;
    const FetchOutcome tooLarge = capped.Fetch(http.Url(routes::kBig), big);
    EXPECT_EQ(tooLarge.result, FetchResult::kFinished);
    EXPECT_NE(tooLarge.error.find("larger"), std::string::npos);
    EXPECT_LE(std::filesystem::file_size(tooLarge.file), small.maxBodyBytes);
}

TEST_F(CurlFailureTest, StopEndsATransferWithinAboutASecond) {
    LocalHttpServer http;
    CurlDownloader downloader = MakeDownloader();
    for (const auto* route : {routes::kSlow, routes::kLate}) {
        CurlSink sink;
        std::thread stopper([&sink] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            sink.stop = true;
        });
        const auto start = Clock::now();
        const FetchOutcome outcome = downloader.Fetch(http.Url(route), sink);
        const double seconds = SecondsSince(start);
        stopper.join();
        EXPECT_EQ(outcome.result, FetchResult::kFinished) << route;
        EXPECT_EQ(outcome.error, "aborted") << route;
        // The slow route takes ten seconds and the late one eight when left alone.
        EXPECT_LT(seconds, 3.0) << route;
        EXPECT_EQ(sink.Count(6), 0) << route;
        std::filesystem::remove(outcome.file);
    }
}

TEST_F(CurlFailureTest, AbortAnswerEndsTheTransferAtThatReport) {
    LocalHttpServer http;
    CurlDownloader downloader = MakeDownloader();
    for (const std::uint32_t at : {kStatusFindingResource, kStatusConnecting,
                                   kStatusSendingRequest, kStatusMimeType,
                                   kStatusBeginDownload, kStatusDownloading}) {
        CurlSink sink;
        sink.answer = [at](const Recorded& report) { return report.code != at; };
        const FetchOutcome outcome = downloader.Fetch(http.Url(routes::kSlow), sink);
        EXPECT_EQ(outcome.result, FetchResult::kFinished) << at;
        EXPECT_EQ(outcome.error, "aborted") << at;
        EXPECT_EQ(sink.Codes().back(), at);
        EXPECT_EQ(sink.ReportsAfterAbort(), 0) << at;
        std::filesystem::remove(outcome.file);
    }
    EXPECT_TRUE(FolderEntries(Cache()).empty());
}

}  // namespace
}  // namespace wexfold::testing
