// The update check: fetches the update list from the maker's server, compares it with the
// local copy kept from the last check, keeps the new list (with a backup of the old one) and
// downloads the new files. A check runs on a worker thread of its own, so a slow server never
// holds the user-interface thread; every step is reported, in order, to an UpdateNotify on
// that thread. The checker never opens a downloaded file.
//
// All members are for the user-interface thread (the one that made the hand-over). FetchList
// and CompareLists are the steps of a check; run by hand they run on the calling thread, and
// never while a check runs.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/SyncHandover.h"
#include "core/sites/SiteRecord.h"
#include "core/update/UpdateMessage.h"

namespace wexfold {

// The update server's host (may hold ":port"): $WEXFOLD_UPDATE_HOST when set and not empty,
// else the build setting.
std::string UpdateHost();

// The largest part of a fetched list that is read: its last 4 MiB (about 50,000 files).
inline constexpr std::size_t kMaxListBytes = 4u << 20;

enum class StartResult { kStarted, kNothingToDo, kThreadFailed };

class UpdateChecker {
  public:
    // folder is the working directory holding "update.txt", "update.txt.bk" and "update/".
    UpdateChecker(Downloader& downloader, std::shared_ptr<SyncHandover> handover,
                  UpdateNotify& notify, std::filesystem::path folder = ".");
    // Stops a running check and waits for its worker, running its last reports (muted).
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    // Starts a check on its worker: the list is fetched (when fetchList is set or no list was
    // fetched in this run), compared, and when the comparison rotated the lists (kCompared)
    // the new files are downloaded. kNothingToDo while a check runs; kThreadFailed: the UI
    // warns "m_pDownloadTread == NULL!".
    StartResult StartCheck(bool fetchList);
    // Stops the running check: the fetch or download under way ends at its next report or
    // periodic check, the rest is skipped, and the check reports "user canceled" (a progress
    // message without report). When the check rotated the lists and did not download every
    // file, the previous local list is put back so the next check finds the same files again.
    void Cancel();
    bool Running() const;

    // 0: the list was fetched (state 116); 1: it was not (state 121).
    int FetchList();
    // 0: downloads follow (the local lists were rotated); 1: nothing to download.
    int CompareLists();

    // What the last check left; read while no check runs.
    const std::string& RequestUrl() const { return requestUrl_; }
    const std::vector<std::string>& FileNames() const { return fileNames_; }
    const std::filesystem::path& CacheFile() const { return cacheFile_; }
    // Entries of the last comparison left out because their name is not a plain file name.
    std::size_t RejectedNames() const { return rejectedNames_; }
    // Where the files go.
    std::filesystem::path UpdateFolder() const { return folder_ / "update"; }

    // The automatic-check switch, a copy of UpdateRecord::autoCheck.
    std::uint8_t autoCheck = 1;

  private:
    struct Run {
        std::atomic<bool> cancel{false};
        std::atomic<bool> finished{false};
        std::atomic<int> failed{0};
        std::thread thread;
    };

    void Check(Run& run, bool fetchList);
    void DownloadAll(Run& run, bool& noticeSent);
    void Canceled();
    void Notify(const UpdateMessage& message);
    void Collect(const UpdateListEntry& entry);
    // Joins the workers that ended; waits (running their reports) up to limit for one that
    // still ends after a cancel. False when one still runs.
    bool JoinFinished(std::chrono::milliseconds limit);

    Downloader& downloader_;
    std::shared_ptr<SyncHandover> handover_;
    UpdateNotify& notify_;
    std::filesystem::path folder_;
    std::filesystem::path cacheFile_;
    UrlParts updateAddress_{};
    std::string requestUrl_;
    std::vector<std::string> fileNames_;
    std::size_t rejectedNames_ = 0;
    // Set by a comparison that rotated the lists, until a check ends with every file in.
    bool rotated_ = false;
    std::shared_ptr<Run> current_;
    // Set when the checker goes: late reports of its worker are dropped.
    bool muted_ = false;
    // The cancel flag the steps watch; a check's own while it runs.
    const std::atomic<bool>* cancel_ = &idle_;
    std::atomic<bool> idle_{false};
};

}  // namespace wexfold
