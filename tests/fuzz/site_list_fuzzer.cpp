// The site list loader over arbitrary file bytes, as start-up and import run it. Input: a mode
// byte, four bytes answering the replace questions (bit i the i-th, cycling), then the file.
// Mode bits 0-2: how many loaded records the import meets; 4-5: how many more sites it may take;
// 6 and 7 both set: the file repeated past the reader's 64 KiB piece (a quarter of the runs).
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "core/logs/EventLog.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteName.h"
#include "core/sites/SiteRecordRepair.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::fuzz {
namespace {

// A broken property becomes a crash that libFuzzer records.
void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

// Made on first use, with a time zone that has days of 23 and 25 hours, in memory-backed
// /dev/shm where there is one (the site list's saves sync); removed at exit.
const std::filesystem::path& WorkFolder() {
    static std::string made;  // outlives the exit handler, which is registered after it
    static const std::filesystem::path folder = [] {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        made = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        made += "/wexfold-fuzz-XXXXXX";
        Check(mkdtemp(made.data()) != nullptr, "cannot make the work folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(made);
    }();
    return folder;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    Check(static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes),
          "cannot write into the work folder");
}

constexpr std::int64_t kNow = 1774951200;  // 2026-03-31 12:00 local

bool SameRecord(SiteRecord a, SiteRecord b) {
    a.logFile = b.logFile = 0;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Start-up loads every whole record of the decoded file, repaired, and repairing it again
// changes nothing; the list saved reads back unchanged.
void StartUp(const std::string& stored, std::vector<SiteRecord>& list, EventLog& log) {
    LoadHooks hooks;
    hooks.loaded = [&](SiteRecord& site) { log.OpenSiteLog(site); };
    LoadSiteList({}, list, hooks);
    const std::string decoded = DecodeTextMode(stored);
    Check(list.size() == decoded.size() / sizeof(SiteRecord), "record count");
    for (std::size_t i = 0; i < list.size(); ++i) {
        SiteRecord expected;
        std::memcpy(&expected, decoded.data() + i * sizeof expected, sizeof expected);
        RepairLoadedRecord(expected);
        Check(SameRecord(list[i], expected), "piecewise reading differs from the whole file");
        RepairLoadedRecord(expected);
        Check(SameRecord(list[i], expected), "a repaired record changes when repaired again");
    }
    Check(static_cast<bool>(SaveSiteList(list)), "the site list cannot be saved");
    std::vector<SiteRecord> reread;
    LoadSiteList({}, reread, {});
    Check(std::equal(list.begin(), list.end(), reread.begin(), reread.end(), SameRecord),
          "the saved list reads back changed");
}

// An import appends only safe names, one after another and never past the limit.
void Import(std::vector<SiteRecord>& list, EventLog& log, std::uint32_t answers, std::size_t room) {
    const std::size_t before = list.size();
    std::size_t asked = 0, appended = 0;
    LoadHooks hooks;
    hooks.maxSites = before + room;
    hooks.loaded = [&](SiteRecord& site) { log.OpenSiteLog(site); };
    hooks.askReplace = [&](const SiteRecord&) { return (answers >> (asked++ % 32) & 1) != 0; };
    hooks.appended = [&](int index) {
        Check(index + 1 == static_cast<int>(list.size()) && list.size() == before + ++appended &&
                  IsSafeSiteName(list.back().name),
              "an append names another place or an unsafe name");
    };
    hooks.released = [&](SiteRecord& gone) { log.Close(gone); };
    LoadSiteList("import.wxf", list, hooks);
    Check(list.size() == before + appended && list.size() <= hooks.maxSites,
          "the list grew past its appends or its limit");
    Check(static_cast<bool>(SaveSiteList(list)), "the imported list cannot be saved");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const std::uint8_t mode = data[0];
    std::uint32_t answers = 0;
    std::memcpy(&answers, data + 1, 4);
    std::string stored(reinterpret_cast<const char*>(data + 5), size - 5);
    if ((mode & 0xC0) == 0xC0 && !stored.empty()) {
        const std::string once = stored;
        while (stored.size() < 70000) stored += once;
    }
    // The list lives in the current directory; libFuzzer's relative paths are used outside.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(WorkFolder());
    WriteFile("siteurl", stored);
    WriteFile("import.wxf", stored);
    {
        ManualClock clock(kNow);
        std::vector<SiteRecord> list;
        EventLog log(clock, list, WorkFolder());
        StartUp(stored, list, log);
        const std::size_t kept = std::min<std::size_t>(mode & 7, list.size());
        for (std::size_t i = kept; i < list.size(); ++i) log.Close(list[i]);
        list.resize(kept);
        Import(list, log, answers, (mode >> 4) & 3);
    }
    // Nothing the logs made may lie outside log/<site>/<day>.
    const auto root = WorkFolder() / "log";
    std::error_code none;  // no log folder when no site was loaded
    for (const auto& item : std::filesystem::recursive_directory_iterator(root, none)) {
        const auto relative = item.path().lexically_relative(root);
        const auto depth = std::distance(relative.begin(), relative.end());
        Check(depth == 1 ? item.is_directory() : depth == 2 && item.is_regular_file(),
              "a log path outside log/<site>/<day>");
    }
    std::filesystem::remove_all(root);
    std::filesystem::current_path(previous);
    return 0;
}

}  // namespace wexfold::fuzz
