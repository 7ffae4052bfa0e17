#include "core/update/UpdateChecker.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "core/sites/SiteAddress.h"
#include "core/update/UpdateListFiles.h"

namespace wexfold {
namespace {

// The list fetch reports to nobody and is never stopped.
class SilentSink final : public ProgressSink {
  public:
    bool OnProgress(const ProgressReport&) override { return true; }
    bool StopRequested() override { return false; }
};

UpdateMessage State(std::uint32_t textId) {
    UpdateMessage message;
    message.kind = UpdateMessageKind::kState;
    message.wParam = kUpdateState;
    message.value = textId;
    return message;
}

void RemoveQuietly(const std::filesystem::path& path) {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove(path, ignored);
}

}  // namespace

std::string UpdateHost() {
    const char* host = std::getenv("WEXFOLD_UPDATE_HOST");
    return host != nullptr && host[0] != '\0' ? host : WEXFOLD_UPDATE_HOST;
}

UpdateChecker::UpdateChecker(Downloader& downloader, std::shared_ptr<SyncHandover> handover,
                             UpdateNotify& notify, std::filesystem::path folder)
    : downloader_(downloader),
      handover_(std::move(handover)),
      notify_(notify),
      folder_(std::move(folder)) {
    AssignScheme(updateAddress_, "http");
    AssignHost(updateAddress_, UpdateHost());
    AssignPath(updateAddress_, "/update.asp");
    AssignUser(updateAddress_, "");
    AssignPassword(updateAddress_, "");
    AssignQuery(updateAddress_, "");
}

UpdateChecker::~UpdateChecker() {
    for (Run& run : runs_) {
        run.job->muted = true;
        *run.job->cancelEvent = true;
        run.job->stopRequested = true;
    }
    // A worker may be waiting in the hand-over for this thread, so keep running its reports
    // (they are muted) until every worker has ended; a stopped fetch ends within a second.
    const auto running = [&] {
        return std::any_of(runs_.begin(), runs_.end(),
                           [](const Run& run) { return !run.job->finished.load(); });
    };
    while (running()) {
        handover_->Drain();
        handover_->WaitForWork(std::chrono::steady_clock::now() + std::chrono::milliseconds(20));
    }
    for (Run& run : runs_) run.thread.join();
    RemoveQuietly(cacheFile_);
}

void UpdateChecker::ComposeRequest() {
    requestUrl_ = ComposeUpdateRequest(updateAddress_);
}

int UpdateChecker::FetchList() {
    AssignQuery(updateAddress_, kUpdateListName);
    ComposeRequest();
    SilentSink sink;
    const FetchOutcome outcome = downloader_.Fetch(requestUrl_, sink);
    // An error page or a cut transfer is no list: only a complete answer counts.
    if (outcome.result == FetchResult::kCallFailed || outcome.file.empty() ||
        !outcome.error.empty()) {
        RemoveQuietly(outcome.file);
        Notify(State(kTextNoConnection));
        return 1;
    }
    if (outcome.file != cacheFile_) RemoveQuietly(cacheFile_);
    cacheFile_ = outcome.file;
    Notify(State(kTextConnected));
    return 0;
}

int UpdateChecker::CompareLists() {
    if (Downloading()) return 1;
    fileNames_.clear();
    rejectedNames_ = 0;
    if (cacheFile_.empty()) return 1;
    const auto fetched = ReadFileTail(cacheFile_, kMaxListBytes);
    if (!fetched) return 1;
    const auto localStamp = LocalListStamp(folder_);
    if (!localStamp) {
        Notify(State(kTextNoLocalList));
    }
    const std::uint64_t stamp = localStamp.value_or(0);

    UpdateListScanner scanner(*fetched);
    UpdateListHeader header;
    while (scanner.NextHeader(header)) {
        if (header.stamp == stamp) {
            if (!fileNames_.empty()) break;
            Notify(State(kTextNothingNew));
            return 1;
        }
        UpdateListEntry entry;
        for (int i = 0; i < header.count; ++i) {
            if (scanner.NextEntry(entry)) Collect(entry);
        }
    }
    RotateLists(folder_, cacheFile_);
    rotated_ = true;
    return 0;
}

void UpdateChecker::Collect(const UpdateListEntry& entry) {
    // A name that could reach outside the update folder is never listed nor fetched.
    if (!IsPlainFileName(entry.name)) {
        ++rejectedNames_;
        return;
    }
    if (std::find(fileNames_.begin(), fileNames_.end(), entry.name) != fileNames_.end()) return;
    fileNames_.push_back(entry.name);
    UpdateMessage message;
    message.kind = UpdateMessageKind::kListEntry;
    message.wParam = static_cast<std::uint32_t>(fileNames_.size());
    message.entry = &entry;
    Notify(message);
}

StartResult UpdateChecker::StartDownloads() {
    JoinFinished();
    if (fileNames_.empty() || Downloading()) return StartResult::kNothingToDo;
    auto job = std::make_shared<DownloadJob>();
    job->names = fileNames_;
    job->address = updateAddress_;
    job->updateFolder = UpdateFolder();
    job->callback.mode = MONITOR_IDLE;
    job->callback.cancelEvent = job->cancelEvent;
    job->callback.handover = handover_;
    DownloadJob* raw = job.get();
    job->callback.deliver = [this, raw](const ProgressReport* report) {
        if (raw->muted) return;
        UpdateMessage message;
        message.kind = UpdateMessageKind::kProgress;
        message.report = report;
        message.file = raw->currentFile;
        notify_.OnUpdateStatus(message);
    };
    try {
        std::thread thread([raw, this] { RunDownloads(*raw, downloader_, *handover_, notify_); });
        runs_.push_back({job, std::move(thread)});
    } catch (const std::system_error&) {
        return StartResult::kThreadFailed;
    }
    current_ = std::move(job);
    return StartResult::kStarted;
}

void UpdateChecker::Cancel() {
    const bool complete = current_ && current_->finished.load() && current_->failed.load() == 0;
    if (current_) {
        *current_->cancelEvent = true;
        current_->stopRequested = true;
    }
    if (rotated_ && !complete) RestoreLists(folder_);
    rotated_ = false;
    // The worker is not waited for: it may be waiting for this thread to take its report.
    current_.reset();
}

bool UpdateChecker::Downloading() const {
    return current_ && !current_->finished.load();
}

std::filesystem::path UpdateChecker::DownloadPath(const std::string& name) const {
    return IsPlainFileName(name) ? UpdateFolder() / name : std::filesystem::path();
}

void UpdateChecker::Notify(const UpdateMessage& message) {
    notify_.OnUpdateStatus(message);
}

void UpdateChecker::JoinFinished() {
    // A worker sets finished as its last step, so joining it now returns at once.
    for (auto it = runs_.begin(); it != runs_.end();) {
        if (it->job->finished.load()) {
            it->thread.join();
            it = runs_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace wexfold
