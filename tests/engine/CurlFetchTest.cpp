// The synchronous libcurl downloader (the update checker's) against nginx: the course of each
// transfer as status reports, and the body as written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "CurlSink.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using ::testing::ElementsAre;
using Tls = NginxServer::Tls;

class CurlFetchTest : public ::testing::Test {
  protected:
    CurlFetchTest() : certificates_(temp_.Path()), http_(temp_.Path(), &certificates_) {}

    CurlDownloader MakeDownloader(CurlLimits limits = {}) {
        limits.caFile = certificates_.CaFile();
        return CurlDownloader(std::move(limits), temp_.Path() / "cache");
    }

    // Fetches and checks what every finished fetch has in common: the result and the file.
    FetchOutcome FetchFinished(CurlDownloader& downloader, const std::string& url, CurlSink& sink) {
        FetchOutcome outcome = downloader.Fetch(url, sink);
        EXPECT_EQ(outcome.result, FetchResult::kFinished) << url << ": " << outcome.error;
        EXPECT_TRUE(std::filesystem::exists(outcome.file)) << url;
        return outcome;
    }

    TempFolder temp_;
    TestCertificates certificates_;
    NginxServer http_;
};

TEST_F(CurlFetchTest, PageReportsItsCourseInOrderAndLandsInAPrivateCacheFile) {
    CurlDownloader downloader = MakeDownloader();
    CurlSink sink;
    const FetchOutcome outcome = FetchFinished(downloader, http_.Url("/page"), sink);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(FileText(outcome.file), kPageBody);
    EXPECT_EQ(outcome.file.parent_path(), temp_.Path() / "cache");

    const auto reports = sink.Reports();
    EXPECT_THAT(sink.Codes(), ElementsAre(1, 2, 11, 13, 4, 6, 14));
    ASSERT_EQ(reports.size(), 7u);
    EXPECT_EQ(reports[0].text, "127.0.0.1");
    EXPECT_EQ(reports[1].text, "127.0.0.1");
    EXPECT_EQ(reports[3].text, "text/html; charset=utf-8");
    const auto length = static_cast<std::uint32_t>(std::string(kPageBody).size());
    EXPECT_EQ(reports[4].progressMax, length);
    EXPECT_EQ(reports[5].progress, length);
    EXPECT_EQ(reports[6].text, outcome.file.string());
    struct stat info {};
    ASSERT_EQ(::stat(outcome.file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    CurlSink agent;
    EXPECT_EQ(
        FileText(FetchFinished(downloader, http_.Url("/ua"), agent).file).rfind("Wexfold/", 0), 0u);
}

TEST_F(CurlFetchTest, ServerErrorsRefusedLoginsAndEmptyBodiesAreAnswers) {
    CurlDownloader downloader = MakeDownloader();
    for (const auto& [path, error] :
         {std::pair{"/missing", "404"}, {"/broken", "500"}, {"/private", "401"}, {"/empty", ""}}) {
        CurlSink sink;
        const FetchOutcome outcome = FetchFinished(downloader, http_.Url(path), sink);
        EXPECT_EQ(outcome.error, error[0] ? std::string("HTTP status ") + error : "") << path;
        EXPECT_EQ(sink.Codes().at(2), kStatusSendingRequest) << path;
        EXPECT_EQ(sink.Count(kStatusEndDownload), 1) << path;
    }
}

TEST_F(CurlFetchTest, RedirectsAreReportedWithTheirTargetsAndBounded) {
    CurlLimits limits;
    limits.maxRedirects = 3;
    CurlDownloader downloader = MakeDownloader(limits);
    CurlSink sink;
    const FetchOutcome outcome = FetchFinished(downloader, http_.Url("/hops/2"), sink);
    EXPECT_EQ(FileText(outcome.file), kPageBody);
    std::vector<std::string> targets;
    for (const auto& report : sink.Reports()) {
        if (report.code == kStatusRedirecting) targets.push_back(report.text);
    }
    EXPECT_THAT(targets,
                ElementsAre(http_.Url("/hops/1"), http_.Url("/hops/0"), http_.Url("/page")));
    // No connection is reused, so every hop connects, and is answered, again.
    EXPECT_THAT(sink.Codes(), ElementsAre(1, 2, 11, 3, 2, 11, 3, 2, 11, 3, 2, 11, 13, 4, 6, 14));

    // One hop more than allowed, or a target that is not fetched: the server's answer, with an
    // error and no body.
    for (const char* path : {"/hops/3", "/to-file"}) {
        CurlSink stopped;
        EXPECT_NE(FetchFinished(downloader, http_.Url(path), stopped).error, "") << path;
        EXPECT_EQ(stopped.Count(kStatusRedirecting), path[1] == 'h' ? 3 : 1) << path;
        EXPECT_EQ(stopped.Count(kStatusSendingRequest), path[1] == 'h' ? 4 : 1) << path;
        EXPECT_EQ(stopped.Count(kStatusCacheFile), 0) << path;
    }
}

TEST_F(CurlFetchTest, LargeBodiesReportRisingPositionsAndArriveWhole) {
    CurlDownloader downloader = MakeDownloader();
    for (const auto& [path, size] :
         {std::pair{"/big", kBigBodyBytes}, {"/chunked", kChunkedBodyBytes}}) {
        CurlSink sink;
        const FetchOutcome outcome = FetchFinished(downloader, http_.Url(path), sink);
        EXPECT_EQ(outcome.error, "") << path;
        const std::string body = FileText(outcome.file);
        ASSERT_EQ(body.size(), size) << path;
        bool same = true;
        for (std::size_t i = 0; i < size && same; ++i) same = body[i] == PatternByte(i);
        EXPECT_TRUE(same) << path;

        std::uint32_t last = 0;
        for (const auto& report : sink.Reports()) {
            if (report.code < kStatusBeginDownload || report.code > kStatusEndDownload) continue;
            EXPECT_GE(report.progress, last) << path;
            EXPECT_EQ(report.progressMax, path[1] == 'b' ? size : 0u) << path;
            last = report.progress;
        }
        EXPECT_EQ(last, size) << path;
        EXPECT_EQ(sink.Count(kStatusEndDownload), 1) << path;
        std::filesystem::remove(outcome.file);
    }
}

TEST_F(CurlFetchTest, TlsIsVerifiedAgainstTheTrustedAuthorities) {
    CurlDownloader downloader = MakeDownloader();
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        CurlSink sink;
        const FetchOutcome outcome =
            FetchFinished(downloader, http_.Url("/page", Tls::kTrusted, host), sink);
        EXPECT_EQ(outcome.error, "") << host;
        EXPECT_EQ(FileText(outcome.file), kPageBody) << host;
    }
    // An untrusted certificate is a connection that never got an answer.
    CurlSink sink;
    const FetchOutcome outcome =
        FetchFinished(downloader, http_.Url("/page", Tls::kSelfSigned), sink);
    EXPECT_NE(outcome.error, "");
    EXPECT_LE(sink.HighestCode(), 2u);
    EXPECT_EQ(FileText(outcome.file), "");
}

}  // namespace
}  // namespace wexfold::testing
