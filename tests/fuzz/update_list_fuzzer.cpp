// The update check's comparison of a fetched list with the local one.
//
// Input: a mode byte (bit 0: a local list exists, bit 1: the check is cancelled after the
// comparison), two bytes giving the local list's length (little-endian), the local list,
// then the fetched list.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateList.h"
#include "core/update/UpdateListFiles.h"

namespace wexfold::fuzz {
namespace {

namespace fs = std::filesystem;

// Hands out the fuzzed list as if the server had sent it.
class ListDownloader final : public Downloader {
  public:
    explicit ListDownloader(std::string list) : list_(std::move(list)) {}
    FetchOutcome Fetch(const std::string&, ProgressSink&, const fs::path&) override {
        const fs::path file = WorkFolder() / "fetched.bin";
        WriteFile(file, list_);
        return {FetchResult::kFinished, file, {}};
    }

  private:
    std::string list_;
};

struct Names final : public UpdateNotify {
    void OnUpdateStatus(const UpdateMessage& message) override {
        if (message.kind != UpdateMessageKind::kListEntry) return;
        Check(message.entry != nullptr && message.wParam == names.size() + 1,
              "list entries are not numbered in order");
        names.push_back(message.entry->name);
    }
    std::vector<std::string> names;
};

// What the comparison should give, worked out from the whole parsed list: the new plain
// names, newest group first, up to the group the local list ends with.
struct Expected {
    std::vector<std::string> names;
    bool nothingNew = false;
};

Expected Reference(const std::string& fetched, std::uint64_t stamp) {
    Expected expected;
    const auto groups = ParseUpdateList(fetched);
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        if (group->stamp == stamp) {
            expected.nothingNew = expected.names.empty();
            break;
        }
        for (const UpdateListEntry& entry : group->entries) {
            const auto& names = expected.names;
            if (IsPlainFileName(entry.name) &&
                std::find(names.begin(), names.end(), entry.name) == names.end()) {
                expected.names.push_back(entry.name);
            }
        }
    }
    return expected;
}

std::optional<std::string> Contents(const fs::path& path) {
    return ReadFileTail(path, static_cast<std::size_t>(-1) / 2);
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
    if (size < 3) return 0;
    const std::uint8_t mode = data[0];
    const std::size_t localSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    const std::string local(reinterpret_cast<const char*>(data + 3), localSize);
    const std::string fetched(reinterpret_cast<const char*>(data + 3 + localSize),
                              size - 3 - localSize);
    const fs::path folder = WorkFolder();
    std::optional<std::string> before;
    if (mode & 1) {
        WriteFile(folder / kUpdateListName, local);
        before = local;
    }
    const std::uint64_t stamp = LocalListStamp(folder).value_or(0);
    const Expected expected = Reference(fetched, stamp);
    {
        ListDownloader downloader(fetched);
        Names notify;
        UpdateChecker checker(downloader, std::make_shared<SyncHandover>(), notify, folder);
        Check(checker.FetchList() == 0, "the list was not taken");
        const int result = checker.CompareLists();
        Check(notify.names == checker.FileNames(), "reported and kept names differ");
        Check(checker.FileNames() == expected.names, "the new names differ from the list's");
        Check((result == 1) == expected.nothingNew, "nothing new misjudged");
        if (result == 0) {
            Check(Contents(folder / kUpdateListName) == fetched, "the fetched list was not kept");
            Check(Contents(folder / kUpdateBackupName) == before, "the old list was not kept");
        } else {
            Check(Contents(folder / kUpdateListName) == before, "the local list changed");
        }
        if (mode & 2) {
            checker.Cancel();
            Check(Contents(folder / kUpdateListName) == before, "cancel lost the local list");
        }
    }
    Check(!fs::exists(folder / "fetched.bin"), "the fetched list was left behind");
    ClearWorkFolder();
    return 0;
}
