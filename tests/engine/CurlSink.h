// A progress sink for the libcurl downloader tests: records every report, can answer abort at
// a chosen report and can be asked to stop from another thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

struct Recorded {
    std::uint32_t code;
    std::uint32_t progress;
    std::uint32_t progressMax;
    std::string text;
};

class CurlSink final : public ProgressSink {
public:
    // Returning false from the answer aborts the fetch at that report.
    std::function<bool(const Recorded&)> answer;
    std::atomic<bool> stop{false};

    bool OnProgress(const ProgressReport& report) override;
    bool StopRequested() override { return stop.load(); }

    std::vector<Recorded> Reports() const;
    std::vector<std::uint32_t> Codes() const;
    // How many reports carried code.
    int Count(std::uint32_t code) const;
    // The highest code reported, 0 when none was.
    std::uint32_t HighestCode() const;
    // Reports that arrived after the sink had answered abort.
    int ReportsAfterAbort() const;

private:
    mutable std::mutex mutex_;
    std::vector<Recorded> reports_;
    bool aborted_ = false;
    int afterAbort_ = 0;
};

// The names in a folder; empty when it does not exist.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

}  // namespace wexfold::testing
