// The update check: fetches the update list from the maker's server, compares it with the
// local copy kept from the last check, keeps the new list (with a backup of the old one) and
// downloads the new files on a worker thread. Every step is reported to an UpdateNotify on
// the user-interface thread; the checker never opens a downloaded file.
//
// All operations are for the user-interface thread (the one that made the hand-over).
// FetchList and CompareLists block it while they run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/SyncHandover.h"
#include "core/sites/SiteRecord.h"
#include "core/update/UpdateDownloads.h"
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
    // Stops a running download and waits for its worker, running its last reports (muted).
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    // 0: the list was fetched (state 116); 1: it was not (state 121).
    int FetchList();
    // 0: downloads follow (the local lists were rotated); 1: nothing to download. Also 1,
    // doing nothing, while a download runs (an automatic check falling due then is skipped).
    int CompareLists();
    // Starts the worker when names were collected and none runs. kThreadFailed: the UI
    // warns "m_pDownloadTread == NULL!".
    StartResult StartDownloads();
    // Stops the downloads (the running one ends at its next report, the rest are skipped)
    // and, when this check rotated the lists and did not download every file, puts the
    // previous local list back so the next check finds the same files again.
    void Cancel();
    void ComposeRequest();

    const std::string& RequestUrl() const { return requestUrl_; }
    const UrlParts& UpdateAddress() const { return updateAddress_; }
    const std::vector<std::string>& FileNames() const { return fileNames_; }
    const std::filesystem::path& CacheFile() const { return cacheFile_; }
    // Where the files go, and the path of one of them.
    std::filesystem::path UpdateFolder() const { return folder_ / "update"; }
    std::filesystem::path DownloadPath(const std::string& name) const;
    bool Downloading() const;
    // Entries of the last comparison left out because their name is not a plain file name.
    std::size_t RejectedNames() const { return rejectedNames_; }

    // The automatic-check switch, a copy of UpdateRecord::autoCheck.
    std::uint8_t autoCheck = 1;

  private:
    struct Run {
        std::shared_ptr<DownloadJob> job;
        std::thread thread;
    };

    void Notify(const UpdateMessage& message);
    void Collect(const UpdateListEntry& entry);
    void JoinFinished();

    Downloader& downloader_;
    std::shared_ptr<SyncHandover> handover_;
    UpdateNotify& notify_;
    std::filesystem::path folder_;
    std::filesystem::path cacheFile_;
    UrlParts updateAddress_{};
    std::string requestUrl_;
    std::vector<std::string> fileNames_;
    std::size_t rejectedNames_ = 0;
    bool rotated_ = false;
    std::shared_ptr<DownloadJob> current_;
    std::vector<Run> runs_;
};

}  // namespace wexfold
