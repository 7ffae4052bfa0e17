// "wexfold --report" over a log day of 1 GiB and lines of 1 MiB: it ends, prints the figures
// of both days, and its peak memory stays far below the size of the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "fixtures/ChildProcess.h"
#include "HugeLogFiles.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr long kPeakLimitKb = 200 * 1024;

TEST(ReportCommandHugeLog, EndsWithTheFiguresInBoundedMemory) {
#ifndef WEXFOLD_PROGRAM
    GTEST_SKIP() << "the wexfold program is built only with the Qt app";
#else
    TempFolder folder;
    WriteHugeLogDays(folder.Path());
    const std::filesystem::path output = folder.Path() / "report.txt";
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(out, 0);
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = StartChild({WEXFOLD_PROGRAM, "--report", kHugeLogSite, "2024-03-01",
                                    "2024-03-02", "--filter", "broken"},
                                   folder.Path(), out);
    ::close(out);
    ASSERT_GT(child, 0);
    const ChildEnd end = WaitChild(child, std::chrono::seconds(50));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("--report over %.2f GiB: %.2f s, peak RSS %ld kB\n",
                static_cast<double>(kHoleBytes + 5 * kLongLineBytes) / (1 << 30), took.count(),
                end.peakRssKb);
    ASSERT_FALSE(end.timedOut) << "--report did not end";
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), 0);
    EXPECT_LT(end.peakRssKb, kPeakLimitKb);

    const std::string text = FileText(output);
    EXPECT_EQ(text.rfind(std::string(kHugeBrokenLabel) + "\n" + kHugeConnectivityLabel + "\n" +
                             kHugeSpeedLabel + "\n 0 of 1 pages\n",
                         0),
              0u)
        << text.substr(0, 400);
    // Page 0 lists the three broken lines of March 1; page 1 the first 255 bytes of each long
    // broken line of March 2, which is all a line buffer of the log's reader takes at once.
    const std::size_t second = text.find("=== page 1\n");
    ASSERT_NE(second, std::string::npos);
    const std::string firstPage = text.substr(0, second);
    EXPECT_NE(firstPage.find(std::string(kHugeBrokenLine) + "\n" + kHugeBrokenLine + "\n"),
              std::string::npos);
    EXPECT_NE(firstPage.find("23:00:00 03/01 2024\n"), std::string::npos);
    std::string piece = kLongBrokenStart;
    piece.resize(255, 'x');
    std::size_t pieces = 0;
    for (std::size_t at = second; (at = text.find(piece, at)) != std::string::npos; ++at) ++pieces;
    EXPECT_EQ(pieces, 4u);
    EXPECT_LT(text.size(), 4096u);
#endif
}

}  // namespace
}  // namespace wexfold::testing
