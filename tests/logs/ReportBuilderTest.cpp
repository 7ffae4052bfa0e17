// The report reader: line classes, figures, filters, pages and the dialog's texts, on log
// files built byte by byte or written by the log writer.
#include <gtest/gtest.h>

#include <string>

#include "LogTestSupport.h"
#include "core/logs/ReportBuilder.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

using logtest::At;

const char kBroken[] = "! Failed! can't connectivy. end of  10:00:00 12/05 2026 \r\r\n";
const char kSuccess[] = "..Access successed! end of  10:00:10 12/05 2026 \r\r\n";
const char kStart[] = "Start monitor.  10:00:00 12/05 2026 \r\r\n";

std::string Repeat(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

std::string Speed(int kb) {
    return FormatText(".Download speed: %d kb/s  10:00:01 12/05 2026 \r\r\n", kb);
}

Report Read(const std::string& stored, int filterCode = kFilterAll) {
    Report report;
    ReadLogFile(stored, filterCode, report);
    return report;
}

TEST(ReportFigures, RatesAndMinutesFollowTheIntervalSums) {
    Report quarter = Read(Repeat(kBroken, 10) + Repeat(kSuccess, 30));
    EXPECT_EQ(quarter.brokenSeconds, 100);
    EXPECT_EQ(quarter.connectedSeconds, 300);
    EXPECT_EQ(quarter.BrokenLabel(), "Broken link Rate: 25%, 1.66 Minutes");
    EXPECT_EQ(quarter.ConnectivityLabel(), "Connectivity Rate:75%, 5 Minutes");

    // A rate that rounds down to 0 is shown as 1%; the connectivity rate has no minimum.
    Report rare = Read(std::string(kBroken) + Repeat(kSuccess, 999));
    EXPECT_EQ(rare.BrokenLabel(), "Broken link Rate: 1%, 0.16 Minutes");
    EXPECT_EQ(rare.ConnectivityLabel(), "Connectivity Rate:99%, 166.50 Minutes");

    Report onlyBroken = Read("* 60 seconds interval time.\r\r\n" + Repeat(kBroken, 3));
    EXPECT_EQ(onlyBroken.brokenSeconds, 180);
    EXPECT_EQ(onlyBroken.BrokenLabel(), "Broken link Rate: 100%, 3 Minutes");
    EXPECT_EQ(onlyBroken.ConnectivityLabel(), "Connectivity Rate:0%, 0 Minutes");

    EXPECT_EQ(MinutesText(-90), "-1.50");
    EXPECT_EQ(MinutesText(6000000000), "100000000");

    Report none = Read(kStart);
    EXPECT_EQ(none.BrokenLabel(), "Break Rate: 0%, 0 Minutes ");
    EXPECT_EQ(none.ConnectivityLabel(), "Connectivity Rate: 100%, 0 Minutes ");
    EXPECT_EQ(none.SpeedLabel(), "Average download speed: No Data!");
}

TEST(ReportFigures, DamagedIntervalsNeverDivideByZero) {
    // A negative interval can bring the sum of both to zero; the rates then read 0 (or the
    // 1% minimum) instead of crashing.
    Report report = Read(std::string(kBroken) + "* -10 seconds interval time.\r\r\n" + kSuccess);
    EXPECT_EQ(report.brokenSeconds, 10);
    EXPECT_EQ(report.connectedSeconds, -10);
    EXPECT_EQ(report.BrokenLabel(), "Broken link Rate: 1%, 0.16 Minutes");
    EXPECT_EQ(report.ConnectivityLabel(), "Connectivity Rate:0%, -0.16 Minutes");
}

TEST(ReportFigures, SpeedIsARunningAverageThatIgnoresALeadingZero) {
    EXPECT_EQ(Read(Speed(100)).averageSpeed, 100);
    EXPECT_EQ(Read(Speed(100) + Speed(50)).averageSpeed, 75);
    EXPECT_EQ(Read(Speed(100) + Speed(50) + Speed(0)).averageSpeed, 37);
    EXPECT_EQ(Read(Speed(100) + Speed(50) + Speed(0)).SpeedLabel(),
              "Average download speed: 37 kb/s");
    EXPECT_EQ(Read(Speed(0)).SpeedLabel(), "Average download speed: No Data!");
    EXPECT_EQ(Read(Speed(0) + Speed(40)).averageSpeed, 40);
    // Large values neither overflow the sum nor wrap.
    EXPECT_EQ(Read(Speed(2147483647) + Speed(2147483647)).averageSpeed, 2147483647);
}

TEST(ReportLines, TheIntervalResetLineSwallowsTheNextEvent) {
    // The reset line has no line end, so the broken line behind it is read as an interval line.
    Report report = Read(std::string(kSuccess) + FormatText(Text(195), 30) + kBroken + kBroken);
    EXPECT_EQ(report.connectedSeconds, 10);
    EXPECT_EQ(report.brokenSeconds, 30);
}

TEST(ReportLines, LongLinesAreReadInPiecesOf255) {
    // 300 characters: the piece from character 256 on is classified by itself.
    std::string counted = "!" + std::string(254, 'a') + "!" + std::string(44, 'b') + "\r\n";
    std::string once = "!" + std::string(254, 'a') + "x" + std::string(44, 'b') + "\r\n";
    EXPECT_EQ(Read(counted).brokenSeconds, 20);
    EXPECT_EQ(Read(once).brokenSeconds, 10);
    // A line of exactly 255 characters before its line end leaves the end as a piece of its own.
    Report exact = Read("!" + std::string(254, 'a') + "\n" + kSuccess, kFilterBroken);
    EXPECT_EQ(exact.brokenSeconds, 10);
    EXPECT_EQ(exact.connectedSeconds, 10);
    EXPECT_EQ(exact.PageText(0), "!" + std::string(254, 'a'));
}

TEST(ReportLines, FiltersListTheirClassesAndAlwaysCountAll) {
    const std::string file =
        "* 10 seconds interval time.\r\r\n" + std::string(kStart) + kBroken + kSuccess + Speed(8);
    const std::string interval = "* 10 seconds interval time.\r\n";
    const std::string start = "Start monitor.  10:00:00 12/05 2026 \r\n";
    const std::string broken = "! Failed! can't connectivy. end of  10:00:00 12/05 2026 \r\n";
    const std::string success = "..Access successed! end of  10:00:10 12/05 2026 \r\n";
    const std::string speed = ".Download speed: 8 kb/s  10:00:01 12/05 2026 \r\n";
    const struct {
        int code;
        std::string page;
    } cases[] = {
        {1, broken},
        {3, success},
        {5, speed},
        {4, broken + success},
        {6, broken + speed},
        {8, success + speed},
        {9, interval + start + broken + success + speed},
    };
    for (const auto& c : cases) {
        const Report report = Read(file, c.code);
        ASSERT_EQ(report.PageCount(), 1u) << c.code;
        EXPECT_EQ(report.PageText(0), c.page) << c.code;
        EXPECT_EQ(report.brokenSeconds, 10) << c.code;
        EXPECT_EQ(report.connectedSeconds, 10) << c.code;
        EXPECT_EQ(report.averageSpeed, 8) << c.code;
    }
}

TEST(ReportPages, FiftyCountedLinesFillAPage) {
    Report report = Read(Repeat(kBroken, 50), kFilterBroken);
    ASSERT_EQ(report.PageCount(), 2u);
    EXPECT_EQ(report.PageText(1), "");
    ReportPager pager(report);
    EXPECT_EQ(pager.PageLabel(), " 0 of 1 pages");

    // Uncounted lines under filter 9 do not bring the break nearer.
    const std::string mixed = Repeat(std::string(kStart) + kBroken, 50) + kSuccess;
    Report all = Read(mixed, kFilterAll);
    ASSERT_EQ(all.PageCount(), 2u);
    EXPECT_EQ(all.PageText(0).size(),
              50 * (std::string(kStart).size() + std::string(kBroken).size() - 2));
    EXPECT_EQ(all.PageText(1), "..Access successed! end of  10:00:10 12/05 2026 \r\n");

    // Every file starts a new page.
    ReadLogFile(kBroken, kFilterBroken, report);
    EXPECT_EQ(report.PageCount(), 3u);
}

class ReportFilesTest : public ::testing::Test {
  protected:
    ReportRequest Request(const char* name, std::int64_t from, std::int64_t to) const {
        ReportRequest request;
        request.siteName = name;
        request.fromTime = from;
        request.toTime = to;
        request.urlText = "http://shop.example/";
        return request;
    }

    logtest::ScratchFolder folder;
};

TEST_F(ReportFilesTest, FilesReadFromDiskDecodeLikeTheCodec) {
    // Lone CRs stay, CR LF becomes LF, a final CR stays: the same pages as the codec's decoding.
    const std::string stored = "* 20 seconds\rx\r\r\n!a\r\n\r\r\r\n..b\r\n\r\n.Download speed: 7\r";
    logtest::WriteBytes(folder.Path() / "log" / "shop" / "12052026", stored);
    const Report fromDisk =
        BuildReport(Request("shop", At(2026, 12, 5), At(2026, 12, 5)), folder.Path());
    Report fromBytes;
    ReadLogFile(stored, kFilterAll, fromBytes);
    ASSERT_EQ(fromDisk.PageCount(), 1u);
    EXPECT_EQ(fromDisk.PageText(0), fromBytes.PageText(0));
    EXPECT_EQ(fromDisk.PageText(0), "* 20 seconds\rx\r\n!a\n\r\r\n..b\n\n.Download speed: 7\r");
    EXPECT_EQ(fromDisk.brokenSeconds, 20);
    EXPECT_EQ(fromDisk.connectedSeconds, 20);
    EXPECT_EQ(fromDisk.averageSpeed, 7);
}

TEST_F(ReportFilesTest, UnsafeNamesReadNothing) {
    // A file that ".." would reach: base/log/../12052026.
    logtest::WriteBytes(folder.Path() / "12052026", kBroken);
    logtest::WriteBytes(folder.Path() / "log" / "12052026", kBroken);
    for (const char* name : {"..", ".", "", "a/b", "../log"}) {
        const Report report =
            BuildReport(Request(name, At(2026, 12, 5), At(2026, 12, 5)), folder.Path());
        EXPECT_TRUE(report.PageCount() == 0) << name;
        EXPECT_EQ(report.brokenSeconds, 0) << name;
    }
}

}  // namespace
}  // namespace wexfold
