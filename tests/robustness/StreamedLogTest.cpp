// A log file is read in chunks: line ends, carriage returns and 255-byte pieces that straddle
// two chunks must give the same report as the file read whole. Every 4 KiB boundary of the
// generated files splits a CR LF or ends on a lone CR, so any chunk size that is a multiple of
// 4 KiB meets both.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "core/logs/Clock.h"
#include "core/logs/ReportBuilder.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr std::size_t kBoundary = 4096;

// About 1.5 MiB of log lines of every class, of lengths 0 to 700, with CR LF and lone CRs.
std::string RandomLog(std::mt19937& random) {
    static const char* const kStarts[] = {"* 30 seconds",
                                          "! Failed!",
                                          "..Access",
                                          ".Download speed: 1",
                                          "Start",
                                          "*",
                                          "!",
                                          ".",
                                          "\r"};
    std::string text;
    while (text.size() < 1536 * 1024) {
        const std::size_t before = text.size();
        text += kStarts[random() % std::size(kStarts)];
        text.append(random() % 700, "!.x*"[random() % 4]);
        text += random() % 5 == 0 ? "\r" : "\r\n";
        for (std::size_t edge = before / kBoundary + 1; edge * kBoundary < text.size(); ++edge) {
            const std::size_t at = edge * kBoundary;
            text.replace(at - 1, 2, edge % 2 == 0 ? "\r\n" : "\rx");
        }
    }
    return text;
}

TEST(StreamedLog, ChunkedReadGivesTheReportOfTheWholeFile) {
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    TempFolder folder;
    std::filesystem::create_directories(folder.Path() / "log" / "shop");
    for (int round = 0; round < 3; ++round) {
        const std::string stored = RandomLog(random);
        std::ofstream(folder.Path() / "log" / "shop" / "05012025", std::ios::binary) << stored;
        for (const int filter : {kFilterBroken, kFilterConnectivity, kFilterSpeed, kFilterAll}) {
            ReportRequest request;
            request.fromTime = request.toTime = LocalMidnight(2025, 5, 1);
            request.filterCode = filter;
            request.siteName = "shop";
            const Report streamed = BuildReport(request, folder.Path());
            Report whole;
            ReadLogFile(stored, filter, whole);
            EXPECT_EQ(streamed.brokenSeconds, whole.brokenSeconds) << filter;
            EXPECT_EQ(streamed.connectedSeconds, whole.connectedSeconds) << filter;
            EXPECT_EQ(streamed.averageSpeed, whole.averageSpeed) << filter;
            ASSERT_EQ(streamed.PageCount(), whole.PageCount()) << filter;
            for (std::size_t page = 0; page < whole.PageCount(); ++page) {
                ASSERT_TRUE(streamed.PageText(page) == whole.PageText(page))
                    << "filter " << filter << ", page " << page << " differs";
            }
        }
    }
}

}  // namespace
}  // namespace wexfold::testing
