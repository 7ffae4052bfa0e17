// The synchronous libcurl downloader (the update checker's) against nginx: the course of a
// transfer as status reports, the body in a private file, and the failures of the call itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/engine/CurlDownloader.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using ::testing::HasSubstr;

// Keeps every report's code and text.
struct Sink final : ProgressSink {
    bool OnProgress(const ProgressReport& report) override {
        codes.push_back(report.statusCode);
        texts.emplace_back(report.serviceText);
        return true;
    }
    bool StopRequested() override { return false; }

    std::vector<std::uint32_t> codes;
    std::vector<std::string> texts;
};

TEST(CurlDownloaderTest, BodiesLandInPrivateFilesAndCallsThatCannotFetchLeaveNone) {
    TempFolder temp;
    NginxServer http(temp.Path());
    CurlDownloader downloader({}, temp.Path() / "cache");
    Sink sink;
    const FetchOutcome page = downloader.Fetch(http.Url("/page"), sink);
    ASSERT_EQ(page.result, FetchResult::kFinished);
    EXPECT_EQ(page.error, "");
    EXPECT_EQ(FileText(page.file), kPageBody);
    EXPECT_EQ(page.file.parent_path(), temp.Path() / "cache");
    EXPECT_THAT(sink.codes, ::testing::ElementsAre(1, 2, 11, 13, 4, 6, 14));
    EXPECT_EQ(sink.texts.back(), page.file.string());
    struct stat info {};
    ASSERT_EQ(::stat(page.file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const std::filesystem::path none = temp.Path() / "none";
    const std::tuple<std::string, std::filesystem::path, const char*> failures[] = {
        {"", none, "empty address"},
        {"www.example.com/", none, "malformed address"},
        {"gopher://127.0.0.1/", none, "unsupported scheme"},
        {"file:///etc/passwd", none, "unsupported scheme"},
        {"http://[::1/", none, "malformed address"},
        {"http://host:99999/", none, "malformed address"},
        {http.Url("/page"), "/proc/wexfold-cache", "cannot create the cache folder"},
        {http.Url("/page"), "/proc", "cannot create a file in /proc"},
    };
    for (const auto& [url, cache, reason] : failures) {
        Sink quiet;
        const FetchOutcome outcome = CurlDownloader({}, cache).Fetch(url, quiet);
        EXPECT_EQ(outcome.result, FetchResult::kCallFailed) << url;
        EXPECT_THAT(outcome.error, HasSubstr(reason)) << url;
        EXPECT_TRUE(outcome.file.empty() && quiet.codes.empty()) << url;
    }
    EXPECT_FALSE(std::filesystem::exists(none));
}

}  // namespace
}  // namespace wexfold::testing
