// The update check's comparison of a fetched list with the local one. Input: a mode byte (bit 0: a
// local list exists, bit 1: the check is cancelled after the comparison), two bytes giving the
// local list's length (little-endian), the local list, then the fetched list.
#include "FuzzSupport.h"
#include "core/update/UpdateChecker.h"
#include "core/update/UpdateList.h"
#include "core/update/UpdateListFiles.h"

namespace wexfold::fuzz {
namespace {

namespace fs = std::filesystem;

// Hands out the fuzzed list as if the server had sent it.
struct ListDownloader final : Downloader {
    FetchOutcome Fetch(const std::string&, ProgressSink&, const fs::path&) override {
        WriteFile(WorkFolder() / "fetched.bin", list);
        return {FetchResult::kFinished, WorkFolder() / "fetched.bin", {}, {}, 0};
    }
    std::string list;
};

struct Names final : UpdateNotify {
    void OnUpdateStatus(const UpdateMessage& message) override {
        if (message.kind != UpdateMessageKind::kListEntry) return;
        Check(message.entry != nullptr && message.wParam == names.size() + 1,
              "list entries are not numbered in order");
        names.push_back(message.entry->name);
    }
    std::vector<std::string> names;
};

// What the comparison should give, from the whole parsed list: the new plain names, newest group
// first, up to the group the local list ends with; nothing new when that group is the newest.
std::vector<std::string> NewNames(const std::string& fetched, std::uint64_t stamp,
                                  bool& nothingNew) {
    std::vector<std::string> names;
    const auto groups = ParseUpdateList(fetched);
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        if (group->stamp == stamp) {
            nothingNew = names.empty();
            break;
        }
        for (const UpdateListEntry& entry : group->entries) {
            if (IsPlainFileName(entry.name) &&
                std::find(names.begin(), names.end(), entry.name) == names.end()) {
                names.push_back(entry.name);
            }
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::uint8_t mode = data[0];
    const std::size_t localSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    const std::string local(reinterpret_cast<const char*>(data + 3), localSize);
    const std::string fetched(reinterpret_cast<const char*>(data + 3 + localSize),
                              size - 3 - localSize);
    const fs::path folder = WorkFolder();
    const auto contents = [&](const char* name) {
        return ReadFileTail(folder / name, SIZE_MAX / 2);
    };
    const std::optional<std::string> before = mode & 1 ? std::optional(local) : std::nullopt;
    if (before) WriteFile(folder / kUpdateListName, local);
    const std::uint64_t stamp = LocalListStamp(folder).value_or(0);
    bool nothingNew = false;
    const std::vector<std::string> expected = NewNames(fetched, stamp, nothingNew);
    {
        ListDownloader downloader;
        downloader.list = fetched;
        Names notify;
        UpdateChecker checker(downloader, std::make_shared<SyncHandover>(), notify, folder);
        Check(checker.FetchList() == 0, "the list was not taken");
        const int result = checker.CompareLists();
        Check(notify.names == expected && checker.FileNames() == expected,
              "the new names reported or kept differ from the list's");
        Check((result == 1) == nothingNew, "nothing new misjudged");
        // A new list is kept with the old one as its backup; otherwise the local list stays.
        Check(contents(kUpdateListName) == (result == 0 ? fetched : before) &&
                  (result != 0 || contents(kUpdateBackupName) == before),
              "the lists kept do not match the verdict");
        if (mode & 2) checker.Cancel();
        Check(!(mode & 2) || contents(kUpdateListName) == before, "cancel lost the local list");
    }
    Check(!fs::exists(folder / "fetched.bin"), "the fetched list was left behind");
    for (const char* name : {kUpdateListName, kUpdateBackupName}) fs::remove(folder / name);
    return 0;
}

}  // namespace wexfold::fuzz
