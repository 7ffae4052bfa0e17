// A download facility for engine tests: each fetch plays a script of progress reports, may
// wait at a gate the test opens, and records what happened.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"

namespace wexfold::testing {

// A one-shot door a scripted fetch waits at until the test opens it.
class Gate {
public:
    void Open();
    // Waits until open, the sink asks to stop, or five seconds have passed; true when open.
    bool Wait(ProgressSink& sink);
    // Test side: waits up to five seconds until a fetch waits here; true when one does.
    bool AwaitWaiter();

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    std::condition_variable entered_;
    bool open_ = false;
    bool waiting_ = false;
};

struct ScriptStep {
    std::uint32_t code = 0;
    std::uint32_t progress = 0;
    std::uint32_t progressMax = 0;
    std::string text;
    std::shared_ptr<Gate> gateBefore;  // waited at before the report is made
};

struct FetchScript {
    std::vector<ScriptStep> steps;
    FetchResult result = FetchResult::kFinished;
    std::shared_ptr<Gate> gateAtEnd;  // waited at after the last report
};

struct FetchRecord {
    std::string url;
    int reportsAnswered = 0;  // reports the sink answered "go on"
    bool aborted = false;     // a report was answered "abort"
    bool stopSeen = false;    // StopRequested turned true at a gate
    bool ended = false;
};

class ScriptedDownloader final : public Downloader {
  public:
    // Scripts are used in the order queued, each by the next fetch of its address (any
    // address when url is empty); when none fits, the default one plays.
    void Queue(FetchScript script, std::string url = {});
    void SetDefault(FetchScript script);

    FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                       const std::filesystem::path& destination) override;

    std::vector<FetchRecord> Records() const;
    int Started() const;

private:
    FetchScript Next(const std::string& url);

    mutable std::mutex mutex_;
    std::deque<std::pair<std::string, FetchScript>> queued_;
    FetchScript default_;
    std::vector<FetchRecord> records_;
};

// A fetch that the server answered: resolution, connection, request, body of the given size.
FetchScript AnsweredFetch(std::uint32_t bodyBytes = 100);

// A fetch that ended before any answer: only resolution and connection.
FetchScript UnansweredFetch();

}  // namespace wexfold::testing
