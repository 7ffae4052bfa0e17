// The download worker of the update check: fetches the collected files one after another into
// the "update" folder and reports each step through the hand-over.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/SiteMonitor.h"
#include "core/engine/SyncHandover.h"
#include "core/sites/SiteRecord.h"
#include "core/update/UpdateMessage.h"

namespace wexfold {

// The request address: "http://" + host + path + "?user=" + user + "&pass=" + password +
// "&filename=" + the requested file (extraInfo), without escaping.
std::string ComposeUpdateRequest(const UrlParts& address);

// One run of the worker. It holds its own copy of the names and of the address, so a new
// check on the user-interface thread never rewrites what a running worker reads.
struct DownloadJob {
    std::vector<std::string> names;
    UrlParts address{};
    std::filesystem::path updateFolder;
    urlCallback callback;  // update mode: mode 0, the cancel flag below
    std::shared_ptr<std::atomic<bool>> cancelEvent = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> finished{false};
    std::atomic<int> failed{0};
    // Worker: the file being fetched; read by the user-interface thread inside its reports.
    std::string currentFile;
    // User-interface thread: set when the checker goes, so late reports are dropped.
    bool muted = false;
};

// The worker's body, on its own thread. Each file ends with kUpdateDownloaded or
// kUpdateFailed; once stopRequested is set the remaining files are skipped.
void RunDownloads(DownloadJob& job, Downloader& downloader, SyncHandover& handover,
                  UpdateNotify& notify);

}  // namespace wexfold
