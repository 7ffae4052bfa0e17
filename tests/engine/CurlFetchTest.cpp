// Fetches through libcurl from local servers that answer: the course of each transfer as
// status reports and the body as written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "CurlSink.h"
#include "core/engine/CurlDownloader.h"
#include "fixtures/FtpServer.h"
#include "fixtures/LocalHttpServer.h"
#include "fixtures/TempFolder.h"
#include "fixtures/TestCertificates.h"

namespace wexfold::testing {
namespace {

using ::testing::ElementsAre;

class CurlFetchTest : public ::testing::Test {
protected:
    CurlDownloader MakeDownloader(CurlLimits limits = {}) {
        return CurlDownloader(std::move(limits), temp_.Path() / "cache");
    }
    std::filesystem::path Cache() const { return temp_.Path() / "cache"; }

    // Fetches and checks what every finished fetch has in common: the result, and a last
    // report naming the file that was written.
    FetchOutcome FetchFinished(CurlDownloader& downloader, const std::string& url,
                               CurlSink& sink) {
        FetchOutcome outcome = downloader.Fetch(url, sink);
        EXPECT_EQ(outcome.result, FetchResult::kFinished) << url << ": " << outcome.error;
        EXPECT_TRUE(std::filesystem::exists(outcome.file)) << url;
        return outcome;
    }

    TempFolder temp_;
    LocalHttpServer http_;
};

std::vector<std::uint32_t> Without(std::vector<std::uint32_t> codes, std::uint32_t code) {
    codes.erase(std::remove(codes.begin(), codes.end(), code), codes.end());
    return codes;
}

TEST_F(CurlFetchTest, PageReportsItsCourseInOrderAndLandsInAPrivateCacheFile) {
    CurlDownloader downloader = MakeDownloader();
    CurlSink sink;
    const FetchOutcome outcome = FetchFinished(downloader, http_.Url(routes::kPage), sink);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(FileText(outcome.file), kPageBody);
    EXPECT_EQ(outcome.file.parent_path(), Cache());

    const auto reports = sink.Reports();
    EXPECT_THAT(sink.Codes(), ElementsAre(1, 2, 11, 13, 4, 6, 14));
    ASSERT_EQ(reports.size(), 7u);
    EXPECT_EQ(reports[0].text, "127.0.0.1");
    EXPECT_EQ(reports[1].text, "127.0.0.1");
    EXPECT_EQ(reports[3].text, "text/html; charset=utf-8");
    const std::uint32_t length = static_cast<std::uint32_t>(std::string(kPageBody).size());
    EXPECT_EQ(reports[4].progressMax, length);
    EXPECT_EQ(reports[5].progress, length);
    EXPECT_EQ(reports[6].text, outcome.file.string());

    struct stat info {};
    ASSERT_EQ(::stat(outcome.file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(http_.LastHeader("user-agent").find("Wexfold/"), std::string::npos);
}

TEST_F(CurlFetchTest, ServerErrorsAndEmptyBodiesAreAnswersNotCallFailures) {
    CurlDownloader downloader = MakeDownloader();
    for (const auto* route : {routes::kMissing, routes::kBroken}) {
        CurlSink sink;
        const FetchOutcome outcome = FetchFinished(downloader, http_.Url(route), sink);
        EXPECT_NE(outcome.error.find(route == routes::kMissing ? "404" : "500"),
                  std::string::npos);
        EXPECT_GT(sink.HighestCode(), 2u) << route;
        EXPECT_FALSE(FileText(outcome.file).empty()) << route;
        std::filesystem::remove(outcome.file);
    }
    CurlSink sink;
    const FetchOutcome outcome = FetchFinished(downloader, http_.Url(routes::kEmpty), sink);
    EXPECT_EQ(outcome.error, "");
    EXPECT_THAT(Without(sink.Codes(), 13), ElementsAre(1, 2, 11, 4, 6, 14));
    EXPECT_EQ(sink.Reports()[Without(sink.Codes(), 13).size() - 2].progress, 0u);
    EXPECT_EQ(FileText(outcome.file), "");
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
    EXPECT_THAT(targets, ElementsAre(http_.Url("/hops/1"), http_.Url("/hops/0"),
                                     http_.Url(routes::kPage)));
    // Each answer closes its connection, so every hop connects and sends again.
    EXPECT_THAT(sink.Codes(), ElementsAre(1, 2, 11, 3, 2, 11, 3, 2, 11, 3, 2, 11, 13, 4, 6, 14));

    // One hop more than allowed: the fetch ends as an answer with an error, not a body.
    CurlSink tooMany;
    const FetchOutcome stopped = FetchFinished(downloader, http_.Url("/hops/3"), tooMany);
    EXPECT_NE(stopped.error, "");
    EXPECT_EQ(tooMany.Count(14), 0);

    // A redirect to a scheme that is not fetched is the server's answer, never followed.
    CurlSink toFile;
    const FetchOutcome refused = FetchFinished(downloader, http_.Url(routes::kToFile), toFile);
    EXPECT_NE(refused.error, "");
    EXPECT_GT(toFile.HighestCode(), 2u);
    EXPECT_EQ(http_.Targets().back(), routes::kToFile);
}

TEST_F(CurlFetchTest, UserAndPasswordOfTheAddressAreSent) {
    CurlDownloader downloader = MakeDownloader();
    CurlSink sink;
    const std::string url = "http://" + std::string(kUser) + ":" + kPassword + "@127.0.0.1:" +
                            std::to_string(http_.Port()) + routes::kPrivate;
    const FetchOutcome outcome = FetchFinished(downloader, url, sink);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(FileText(outcome.file), kPageBody);

    CurlSink anonymous;
    const FetchOutcome refused = FetchFinished(downloader, http_.Url(routes::kPrivate), anonymous);
    EXPECT_NE(refused.error.find("401"), std::string::npos);
}

TEST_F(CurlFetchTest, LargeBodiesReportRisingPositionsAndArriveWhole) {
    CurlDownloader downloader = MakeDownloader();
    for (const auto* route : {routes::kBig, routes::kChunked}) {
        const std::size_t size = route == routes::kBig ? kBigBodyBytes : kChunkedBodyBytes;
        CurlSink sink;
        const FetchOutcome outcome = FetchFinished(downloader, http_.Url(route), sink);
        EXPECT_EQ(outcome.error, "") << route;
        const std::string body = FileText(outcome.file);
        ASSERT_EQ(body.size(), size) << route;
        bool same = true;
        for (std::size_t i = 0; i < size && same; ++i) same = body[i] == PatternByte(i);
        EXPECT_TRUE(same) << route;

        std::uint32_t last = 0;
        std::uint32_t ends = 0;
        for (const auto& report : sink.Reports()) {
            if (report.code < kStatusBeginDownload || report.code > kStatusEndDownload) continue;
            EXPECT_GE(report.progress, last) << route;
            EXPECT_EQ(report.progressMax, route == routes::kBig ? size : 0u) << route;
            last = report.progress;
            if (report.code == kStatusEndDownload) ++ends;
        }
        EXPECT_EQ(last, size) << route;
        EXPECT_EQ(ends, 1u) << route;
        std::filesystem::remove(outcome.file);
    }
}

TEST_F(CurlFetchTest, FtpFetchesWithTheUserOfTheAddress) {
    const std::filesystem::path root = temp_.Path() / "ftp";
    std::filesystem::create_directories(root);
    std::ofstream(root / "status.txt", std::ios::binary) << "ftp body\r\nline two\n";
    FtpServer ftp(root, "anna", "p4ss");
    CurlDownloader downloader = MakeDownloader();

    CurlSink sink;
    const FetchOutcome outcome =
        FetchFinished(downloader, ftp.Url("/status.txt", "anna", "p4ss"), sink);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(FileText(outcome.file), "ftp body\r\nline two\n");
    EXPECT_THAT(sink.Codes(), ElementsAre(1, 2, 11, 4, 6, 14));

    CurlSink refused;
    const FetchOutcome wrong =
        FetchFinished(downloader, ftp.Url("/status.txt", "anna", "wrong"), refused);
    EXPECT_NE(wrong.error, "");
    EXPECT_EQ(FileText(wrong.file), "");
}

TEST_F(CurlFetchTest, TlsIsVerifiedAgainstTheTrustedAuthorities) {
    const TestCertificates certificates(temp_.Path());
    LocalHttpServer trusted(&certificates.Trusted());
    LocalHttpServer selfSigned(&certificates.SelfSigned());
    CurlLimits limits;
    limits.caFile = certificates.CaFile();
    CurlDownloader downloader = MakeDownloader(limits);

    for (const std::string host : {"127.0.0.1", "localhost"}) {
        CurlSink sink;
        const std::string url = trusted.Url(routes::kPage, host);
        const FetchOutcome outcome = FetchFinished(downloader, url, sink);
        EXPECT_EQ(outcome.error, "") << host;
        EXPECT_EQ(FileText(outcome.file), kPageBody) << host;
    }

    // An untrusted certificate is a connection that never got an answer.
    CurlSink sink;
    const FetchOutcome outcome = FetchFinished(downloader, selfSigned.Url(routes::kPage), sink);
    EXPECT_NE(outcome.error, "");
    EXPECT_LE(sink.HighestCode(), 2u);
    EXPECT_EQ(FileText(outcome.file), "");
}

}  // namespace
}  // namespace wexfold::testing
