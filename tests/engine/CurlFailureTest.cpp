// Fetches through libcurl that do not end in a body: refused and malformed addresses, places
// without a server, and transfers the caller stops or aborts.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "CurlSink.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
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

TEST_F(CurlFailureTest, StopEndsATransferWithinAboutASecond) {
    NginxServer http(temp_.Path());
    CurlDownloader downloader = MakeDownloader();
    for (const auto* route : {"/limited", "/late"}) {
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
        // Left alone, the limited body takes some fifty seconds and the late page five.
        EXPECT_LT(seconds, 3.0) << route;
        EXPECT_EQ(sink.Count(6), 0) << route;
        std::filesystem::remove(outcome.file);
    }
}

TEST_F(CurlFailureTest, AbortAnswerEndsTheTransferAtThatReport) {
    NginxServer http(temp_.Path());
    CurlDownloader downloader = MakeDownloader();
    for (const std::uint32_t at : {kStatusFindingResource, kStatusConnecting,
                                   kStatusSendingRequest, kStatusMimeType,
                                   kStatusBeginDownload, kStatusDownloading}) {
        CurlSink sink;
        sink.answer = [at](const Recorded& report) { return report.code != at; };
        const FetchOutcome outcome = downloader.Fetch(http.Url("/limited"), sink);
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
