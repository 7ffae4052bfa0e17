// The download facility on libcurl: one easy transfer per fetch, synchronous on the calling
// thread, the body streamed into a file, the course of the transfer reported as status codes.
#pragma once

#include <filesystem>
#include <string>

#include "core/engine/CurlLimits.h"
#include "core/engine/Downloader.h"

namespace wexfold {

// Thread-safe: Fetch may run on several threads at once; each call has its own handle.
class CurlDownloader final : public Downloader {
  public:
    // An empty cacheFolder means DefaultCacheFolder(). The folder is made on first use.
    explicit CurlDownloader(CurlLimits limits = {}, std::filesystem::path cacheFolder = {});

    FetchOutcome Fetch(const std::string& url, ProgressSink& sink,
                       const std::filesystem::path& destination = {}) override;

    const std::filesystem::path& CacheFolder() const { return cacheFolder_; }

    // $XDG_CACHE_HOME/wexfold, or ~/.cache/wexfold when that is unset or not absolute.
    static std::filesystem::path DefaultCacheFolder();

  private:
    CurlLimits limits_;
    std::filesystem::path cacheFolder_;
};

}  // namespace wexfold
