// The site list loader over arbitrary file bytes, as start-up and import run it.
//
// Input: a mode byte, four bytes of answers to the replace question (bit i answers the i-th
// question, cycling), then the file. Mode bits: 0-2 how many loaded records form the list
// the import meets, 4-5 how many more sites that list may take, 6 and 7 both set: repeat the
// file to pass the reader's 64 KiB piece size (a slow run, so only a quarter of them).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/logs/EventLog.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteName.h"
#include "core/sites/SiteRecordRepair.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::fuzz {
namespace {

constexpr std::int64_t kNow = 1774951200;  // 2026-03-31 12:00 local

bool SameRecord(SiteRecord a, SiteRecord b) {
    a.logFile = 0;
    b.logFile = 0;
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every record the start-up load gives is the repaired image of the whole-file decoding.
std::vector<SiteRecord> StartUp(const std::string& stored, EventLog& log) {
    std::vector<SiteRecord> list;
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
        SiteRecord again = list[i];
        RepairLoadedRecord(again);
        Check(SameRecord(list[i], again), "a repaired record changes when repaired again");
    }
    return list;
}

void Import(std::vector<SiteRecord>& list, EventLog& log, std::uint32_t answers, std::size_t room) {
    const std::size_t before = list.size();
    std::size_t asked = 0;
    std::size_t appended = 0;
    LoadHooks hooks;
    hooks.maxSites = before + room;
    hooks.loaded = [&](SiteRecord& site) { log.OpenSiteLog(site); };
    hooks.askReplace = [&](const SiteRecord&) { return (answers >> (asked++ % 32) & 1) != 0; };
    hooks.appended = [&](int index) {
        SiteRecord& site = list.at(static_cast<std::size_t>(index));
        site.active = 1;
        site.listImage = 0;
        ++appended;
    };
    hooks.replaced = [&](int index) {
        SiteRecord& site = list.at(static_cast<std::size_t>(index));
        site.listImage = site.active == 1 ? 0 : 1;
    };
    hooks.released = [&](SiteRecord& gone) { log.Close(gone); };
    LoadSiteList("import.wxf", list, hooks);
    Check(list.size() == before + appended, "appended sites and list size disagree");
    Check(list.size() <= hooks.maxSites, "import filled the list past its limit");
    for (std::size_t i = before; i < list.size(); ++i) {
        Check(IsSafeSiteName(list[i].name), "an imported site has an unsafe name");
    }
}

// Nothing the logs made may lie outside log/<site>/<day>.
void CheckLogTree() {
    const auto root = WorkFolder() / "log";
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        const auto relative = it->path().lexically_relative(root);
        const auto depth = std::distance(relative.begin(), relative.end());
        Check(depth == 1 ? it->is_directory() : depth == 2 && it->is_regular_file(),
              "a log path outside log/<site>/<day>");
    }
}

}  // namespace
}  // namespace wexfold::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    wexfold::fuzz::WorkFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexfold;
    using namespace wexfold::fuzz;
    if (size < 5) return 0;
    const std::uint8_t mode = data[0];
    std::uint32_t answers = 0;
    std::memcpy(&answers, data + 1, 4);
    std::string stored(reinterpret_cast<const char*>(data + 5), size - 5);
    if ((mode & 0xC0) == 0xC0 && !stored.empty()) {
        const std::string once = stored;
        while (stored.size() < 70000) stored += once;
    }
    const InWorkFolder inside;
    WriteFile(WorkFolder() / "siteurl", stored);
    WriteFile(WorkFolder() / "import.wxf", stored);
    {
        ManualClock clock(kNow);
        std::vector<SiteRecord> list;
        EventLog log(clock, list, WorkFolder());
        list = StartUp(stored, log);

        // The saved list reads back unchanged.
        Check(static_cast<bool>(SaveSiteList(list)), "the site list cannot be saved");
        std::vector<SiteRecord> reread;
        LoadSiteList({}, reread, {});
        Check(reread.size() == list.size(), "saved list reads back another count");
        for (std::size_t i = 0; i < list.size(); ++i) {
            Check(SameRecord(list[i], reread[i]), "saved record reads back changed");
        }

        const std::size_t kept = std::min<std::size_t>(mode & 7, list.size());
        for (std::size_t i = kept; i < list.size(); ++i) log.Close(list[i]);
        list.resize(kept);
        Import(list, log, answers, (mode >> 4) & 3);
        Check(static_cast<bool>(SaveSiteList(list)), "the imported list cannot be saved");
    }
    CheckLogTree();
    ClearWorkFolder();
    return 0;
}
