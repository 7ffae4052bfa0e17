// "wexfold --report" over a log day of 1 GiB and lines of 1 MiB: with every filter it lists
// all of it in bounded memory, and with one it prints the figures of both days and its pages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "HugeLogFiles.h"
#include "core/logs/ReportBuilder.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr long kPeakLimitKb = 64 * 1024;

#if defined(WEXFOLD_PROGRAM) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Runs the report with the filter, its output going to output; returns the child's end.
ChildEnd RunReport(const std::filesystem::path& folder, const char* filter,
                   const std::filesystem::path& output) {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(out, 0);
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = StartChild(
        {WEXFOLD_PROGRAM, "--report", kHugeLogSite, "2024-03-01", "2024-03-02", "--filter", filter},
        folder, out);
    ::close(out);
    EXPECT_GT(child, 0);
    const ChildEnd end = WaitChild(child, std::chrono::seconds(100));
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("--report --filter %s over %.2f GiB: %.2f s, peak RSS %ld kB\n", filter,
                static_cast<double>(kHugeDayBytes + 6 * kLongLineBytes) / (1 << 30), took.count(),
                end.peakRssKb);
    EXPECT_FALSE(end.timedOut) << "--report did not end";
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) << end.status;
    EXPECT_LT(end.peakRssKb, kPeakLimitKb);
    return end;
}
#endif

TEST(ReportCommandHugeLog, ListsEveryLineInBoundedMemory) {
#if !defined(WEXFOLD_PROGRAM)
    GTEST_SKIP() << "the wexfold program is built only with the Qt app";
#elif defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // A sanitizer's shadow memory and quarantine make the resident size its own; the normal
    // build measures it.
    GTEST_SKIP() << "resident size is measured in the normal build";
#else
    TempFolder folder;
    const long fetches = WriteHugeLogDays(folder.Path());
    RunReport(folder.Path(), "broken,connectivity,speed", "/dev/null");
    const std::filesystem::path output = folder.Path() / "report.txt";
    RunReport(folder.Path(), "broken", output);

    const std::string text = FileText(output);
    const std::int64_t connected = fetches * 30 + 10;
    EXPECT_EQ(text.rfind("Broken link Rate: 1%, 2.16 Minutes\nConnectivity Rate:" +
                             std::to_string(connected * 100 / (connected + 130)) + "%, " +
                             MinutesText(connected) +
                             " Minutes\nAverage download speed: 120 kb/s\n 0 of 1 pages\n",
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
