// The pieces the update check's worker fetches with: the request address, the status sink of
// a download, and the download of one file into the update folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "core/engine/Downloader.h"
#include "core/engine/SyncHandover.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

// The request address: "http://" + host + path + "?user=" + user + "&pass=" + password +
// "&filename=" + the requested file (extraInfo). The three values are percent-escaped, so a
// name holding '#', '&', '+' or a blank asks for that very file.
std::string ComposeUpdateRequest(const UrlParts& address);

// The status sink of an update fetch: reports go to deliver on the user-interface thread, and
// the fetch ends at the next report or periodic check once cancel is set (or the hand-over is
// closed). deliver may be empty: the list fetch reports to nobody.
class UpdateSink final : public ProgressSink {
  public:
    UpdateSink(SyncHandover& handover, const std::atomic<bool>& cancel,
               std::function<void(const ProgressReport&)> deliver = {});
    bool OnProgress(const ProgressReport& report) override;
    bool StopRequested() override;

  private:
    SyncHandover& handover_;
    const std::atomic<bool>& cancel_;
    std::function<void(const ProgressReport&)> deliver_;
};

// Makes the update folder private to the user (0700). False when it cannot be made or is
// not a folder of its own (a symbolic link, say).
bool PrepareUpdateFolder(const std::filesystem::path& folder);

// Fetches url into folder/name through a new file of the folder's own, which then replaces
// folder/name: whatever stood there before, a symbolic link included, is replaced and never
// written through. True when the file arrived whole.
bool DownloadInto(Downloader& downloader, const std::string& url, ProgressSink& sink,
                  const std::filesystem::path& folder, const std::string& name);

}  // namespace wexfold
