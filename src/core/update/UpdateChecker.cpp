#include "core/update/UpdateChecker.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "core/sites/SiteAddress.h"
#include "core/update/UpdateDownloads.h"
#include "core/update/UpdateListFiles.h"

namespace wexfold {
namespace {

// How long a new check waits for the worker of a stopped one: a stopped fetch ends within
// about a second.
constexpr auto kStoppingWorker = std::chrono::seconds(3);

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
    muted_ = true;
    if (current_) {
        current_->cancel = true;
        // The worker may be waiting in the hand-over for this thread, so keep running its
        // reports (they are muted) until it has ended.
        while (!current_->finished.load()) {
            handover_->Drain();
            handover_->WaitForWork(std::chrono::steady_clock::now() +
                                   std::chrono::milliseconds(20));
        }
        current_->thread.join();
    }
    RemoveQuietly(cacheFile_);
}

StartResult UpdateChecker::StartCheck(bool fetchList) {
    if (!JoinFinished(current_ && current_->cancel ? kStoppingWorker
                                                   : std::chrono::milliseconds(0))) {
        return StartResult::kNothingToDo;
    }
    auto run = std::make_shared<Run>();
    cancel_ = &run->cancel;
    try {
        run->thread = std::thread([this, raw = run.get(), fetchList] { Check(*raw, fetchList); });
    } catch (const std::system_error&) {
        cancel_ = &idle_;
        return StartResult::kThreadFailed;
    }
    current_ = std::move(run);
    return StartResult::kStarted;
}

bool UpdateChecker::JoinFinished(std::chrono::milliseconds limit) {
    if (!current_) return true;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!current_->finished.load() && std::chrono::steady_clock::now() < end) {
        handover_->Drain();
        handover_->WaitForWork(
            std::min(end, std::chrono::steady_clock::now() + std::chrono::milliseconds(20)));
    }
    if (!current_->finished.load()) return false;
    // A worker sets finished as its last step, so joining it now returns at once.
    current_->thread.join();
    current_.reset();
    cancel_ = &idle_;
    return true;
}

bool UpdateChecker::Running() const {
    return current_ && !current_->finished.load();
}

void UpdateChecker::Cancel() {
    if (Running()) {
        // The worker reports the stop and puts the lists back on its way out.
        current_->cancel = true;
        return;
    }
    if (rotated_) RestoreLists(folder_);
    rotated_ = false;
}

void UpdateChecker::Check(Run& run, bool fetchList) {
    bool noticeSent = false;
    bool go = !(fetchList || cacheFile_.empty()) || FetchList() == 0;
    go = go && !run.cancel.load() && CompareLists() == 0;
    if (go && !run.cancel.load()) {
        UpdateMessage compared;
        compared.kind = UpdateMessageKind::kCompared;
        Notify(compared);
        DownloadAll(run, noticeSent);
    }
    if (run.cancel.load() && !noticeSent) Canceled();
    run.finished = true;
}

void UpdateChecker::Canceled() {
    if (rotated_) RestoreLists(folder_);
    rotated_ = false;
    UpdateMessage notice;
    notice.kind = UpdateMessageKind::kProgress;
    notice.wParam = kUpdateProgress;
    Notify(notice);
}

void UpdateChecker::DownloadAll(Run& run, bool& noticeSent) {
    for (std::size_t i = 0; i < fileNames_.size() && !run.cancel.load(); ++i) {
        const std::string& name = fileNames_[i];
        UpdateSink sink(*handover_, run.cancel, [this, &name](const ProgressReport& report) {
            if (muted_) return;
            UpdateMessage message;
            message.kind = UpdateMessageKind::kProgress;
            message.report = &report;
            message.file = name;
            notify_.OnUpdateStatus(message);
        });
        // Checked again here: a name that is not a plain file name could point outside.
        const bool whole = IsPlainFileName(name) && AssignQuery(updateAddress_, name) &&
                           PrepareUpdateFolder(UpdateFolder()) &&
                           DownloadInto(downloader_, ComposeUpdateRequest(updateAddress_), sink,
                                        UpdateFolder(), name);
        if (!whole) ++run.failed;
        // A stopped download first reports the stop, then its failure.
        if (!whole && run.cancel.load()) {
            Canceled();
            noticeSent = true;
        }
        UpdateMessage message;
        message.kind = whole ? UpdateMessageKind::kDownloaded : UpdateMessageKind::kFailed;
        message.wParam = whole ? kUpdateDownloaded : kUpdateFailed;
        message.value = static_cast<std::uint32_t>(i);
        message.file = name;
        if (whole) message.path = UpdateFolder() / name;
        Notify(message);
    }
    // Every file is in: a stop from now on keeps the new list.
    if (run.failed.load() == 0 && !run.cancel.load()) rotated_ = false;
}

int UpdateChecker::FetchList() {
    AssignQuery(updateAddress_, kUpdateListName);
    requestUrl_ = ComposeUpdateRequest(updateAddress_);
    UpdateSink sink(*handover_, *cancel_);
    const FetchOutcome outcome = downloader_.Fetch(requestUrl_, sink);
    // An error page or a cut transfer is no list: only a complete answer counts. A stopped
    // fetch reports nothing here; the check reports the stop.
    if (outcome.result == FetchResult::kCallFailed || outcome.file.empty() ||
        !outcome.error.empty() || cancel_->load()) {
        RemoveQuietly(outcome.file);
        if (!cancel_->load()) Notify(State(kTextNoConnection));
        return 1;
    }
    if (outcome.file != cacheFile_) RemoveQuietly(cacheFile_);
    cacheFile_ = outcome.file;
    Notify(State(kTextConnected));
    return 0;
}

int UpdateChecker::CompareLists() {
    fileNames_.clear();
    rejectedNames_ = 0;
    if (cacheFile_.empty()) return 1;
    const auto fetched = ReadFileTail(cacheFile_, kMaxListBytes);
    if (!fetched) return 1;
    const auto localStamp = LocalListStamp(folder_);
    if (!localStamp) Notify(State(kTextNoLocalList));
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

void UpdateChecker::Notify(const UpdateMessage& message) {
    handover_->Send([&] {
        if (!muted_) notify_.OnUpdateStatus(message);
    });
}

}  // namespace wexfold
