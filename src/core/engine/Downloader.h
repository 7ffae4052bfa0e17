// The download facility the engine fetches through: one synchronous fetch on the calling
// thread into a file, reporting its course as numbered status reports.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/engine/SiteHealth.h"

namespace wexfold {

// The status codes a fetch reports (the numbering of the status texts 127 to 179).
enum StatusCode : std::uint32_t {
    kStatusFindingResource = 1,  // before name resolution; text: the host name
    kStatusConnecting = 2,       // before connecting; text: the address
    kStatusRedirecting = 3,      // a redirect; text: the new address
    kStatusBeginDownload = 4,    // first body bytes; progress: bytes so far
    kStatusDownloading = 5,      // more body bytes; progress and total when known
    kStatusEndDownload = 6,      // end of body
    kStatusSendingRequest = 11,  // the request is about to be sent
    kStatusMimeType = 13,        // text: the content type
    kStatusCacheFile = 14,       // text: the path of the file written
};

// One progress report, built on the reporting thread's stack and valid while it is handled.
struct ProgressReport {
    std::uint32_t progress;
    std::uint32_t progressMax;  // 0 when unknown
    std::uint32_t statusCode;
    const char* serviceText;  // UTF-8, may be empty, never null
};

// Receives the reports of one fetch, on the fetching thread.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    // Returns false to abort the fetch.
    virtual bool OnProgress(const ProgressReport& report) = 0;
    // Polled while no report is due (at least once a second); true aborts the fetch.
    virtual bool StopRequested() = 0;
};

enum class FetchResult {
    kCallFailed,  // the call itself failed: bad address, unsupported scheme, no memory
    kFinished,    // it ended in any other way: success, abort, network or server error
};

struct FetchOutcome {
    FetchResult result = FetchResult::kCallFailed;
    std::filesystem::path file;  // what was written; empty when nothing was
    std::string error;           // a short description when the transfer did not succeed
    FetchTimings timings;        // how long each stage took
    std::uint64_t bodyBytes = 0;
};

class Downloader {
  public:
    virtual ~Downloader() = default;
    // Fetches url into destination, or into a new file of the download cache when destination
    // is empty. The caller deletes the file.
    virtual FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                               const std::filesystem::path& destination = {}) = 0;
};

}  // namespace wexfold
