#include "core/update/UpdateDownloads.h"

#include <cstring>
#include <fstream>
#include <system_error>

#include "core/sites/SiteAddress.h"

namespace wexfold {
namespace {

std::string_view Field(const char* text, std::size_t size) {
    return {text, strnlen(text, size)};
}

void Report(DownloadJob& job, SyncHandover& handover, UpdateNotify& notify,
            const UpdateMessage& message) {
    handover.Send([&] {
        if (!job.muted) notify.OnUpdateStatus(message);
    });
}

// Fetches one file into the update folder; true when it arrived whole and can be read.
bool FetchOne(DownloadJob& job, Downloader& downloader, const std::string& name,
              const std::filesystem::path& target) {
    // Checked again here: a name that is not a plain file name could point outside the folder.
    if (!IsPlainFileName(name)) return false;
    std::error_code error;
    std::filesystem::create_directories(job.updateFolder, error);
    if (error || !AssignQuery(job.address, name)) return false;
    const FetchOutcome outcome =
        downloader.Fetch(ComposeUpdateRequest(job.address), job.callback, target);
    const bool whole = outcome.result != FetchResult::kCallFailed && outcome.error.empty() &&
                       std::ifstream(target, std::ios::binary).is_open();
    // A cut or refused download would otherwise sit in the folder as if it were the file.
    if (!whole) std::filesystem::remove(target, error);
    return whole;
}

}  // namespace

std::string ComposeUpdateRequest(const UrlParts& address) {
    std::string url = "http://";
    url.append(Field(address.hostName, sizeof address.hostName));
    url.append(Field(address.urlPath, sizeof address.urlPath));
    url.append("?user=").append(Field(address.userName, sizeof address.userName));
    url.append("&pass=").append(Field(address.password, sizeof address.password));
    url.append("&filename=").append(Field(address.extraInfo, sizeof address.extraInfo));
    return url;
}

void RunDownloads(DownloadJob& job, Downloader& downloader, SyncHandover& handover,
                  UpdateNotify& notify) {
    for (std::size_t i = 0; i < job.names.size(); ++i) {
        if (job.stopRequested.load()) continue;
        const std::string& name = job.names[i];
        const std::filesystem::path target = job.updateFolder / name;
        job.currentFile = name;
        const bool whole = FetchOne(job, downloader, name, target);
        if (!whole) ++job.failed;
        UpdateMessage message;
        message.kind = whole ? UpdateMessageKind::kDownloaded : UpdateMessageKind::kFailed;
        message.wParam = whole ? kUpdateDownloaded : kUpdateFailed;
        message.value = static_cast<std::uint32_t>(i);
        message.file = name;
        if (whole) message.path = target;
        Report(job, handover, notify, message);
    }
    job.finished = true;
}

}  // namespace wexfold
