#include "engine/ScriptedDownloader.h"

#include <chrono>

namespace wexfold::testing {

void Gate::Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
}

bool Gate::Wait(ProgressSink& sink) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::unique_lock lock(mutex_);
    waiting_ = true;
    entered_.notify_all();
    while (!open_ && std::chrono::steady_clock::now() < end) {
        lock.unlock();
        if (sink.StopRequested()) return false;
        lock.lock();
        opened_.wait_for(lock, std::chrono::milliseconds(10));
    }
    return open_;
}

bool Gate::AwaitWaiter() {
    std::unique_lock lock(mutex_);
    return entered_.wait_for(lock, std::chrono::seconds(5), [&] { return waiting_; });
}

void ScriptedDownloader::Queue(FetchScript script, std::string url) {
    std::lock_guard lock(mutex_);
    queued_.emplace_back(std::move(url), std::move(script));
}

void ScriptedDownloader::SetDefault(FetchScript script) {
    std::lock_guard lock(mutex_);
    default_ = std::move(script);
}

FetchScript ScriptedDownloader::Next(const std::string& url) {
    std::lock_guard lock(mutex_);
    for (auto it = queued_.begin(); it != queued_.end(); ++it) {
        if (!it->first.empty() && it->first != url) continue;
        FetchScript script = std::move(it->second);
        queued_.erase(it);
        return script;
    }
    return default_;
}

FetchOutcome ScriptedDownloader::Fetch(const std::string& url, ProgressSink& sink,
                                       const std::filesystem::path&) {
    const FetchScript script = Next(url);
    std::size_t slot = 0;
    {
        std::lock_guard lock(mutex_);
        slot = records_.size();
        records_.emplace_back().url = url;
    }
    FetchRecord record;
    record.url = url;
    auto passGate = [&](const std::shared_ptr<Gate>& gate) {
        if (!gate || gate->Wait(sink)) return true;
        record.stopSeen = sink.StopRequested();
        return false;
    };
    for (const ScriptStep& step : script.steps) {
        if (!passGate(step.gateBefore)) break;
        const ProgressReport report{step.progress, step.progressMax, step.code, step.text.c_str()};
        if (!sink.OnProgress(report)) {
            record.aborted = true;
            break;
        }
        ++record.reportsAnswered;
    }
    if (!record.aborted && !record.stopSeen) passGate(script.gateAtEnd);
    record.ended = true;
    FetchOutcome outcome;
    outcome.result = script.result;
    std::lock_guard lock(mutex_);
    records_[slot] = std::move(record);
    return outcome;
}

std::vector<FetchRecord> ScriptedDownloader::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

int ScriptedDownloader::Started() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

namespace {

ScriptStep Step(std::uint32_t code, std::uint32_t progress = 0, const char* text = "") {
    ScriptStep step;
    step.code = code;
    step.progress = progress;
    step.progressMax = progress;
    step.text = text;
    return step;
}

}  // namespace

FetchScript AnsweredFetch(std::uint32_t bodyBytes) {
    FetchScript script;
    script.steps = {Step(kStatusFindingResource, 0, "127.0.0.1"),
                    Step(kStatusConnecting, 0, "127.0.0.1:80"), Step(kStatusSendingRequest),
                    Step(kStatusBeginDownload, bodyBytes), Step(kStatusEndDownload, bodyBytes)};
    return script;
}

FetchScript UnansweredFetch() {
    FetchScript script;
    script.steps = {Step(kStatusFindingResource, 0, "127.0.0.1"),
                    Step(kStatusConnecting, 0, "127.0.0.1:80")};
    return script;
}

}  // namespace wexfold::testing
