// The download facility on libcurl: one easy transfer per fetch, synchronous on the calling
// thread, the body streamed into a file, the course of the transfer reported as status codes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/engine/Downloader.h"

namespace wexfold {

// Bounds every fetch keeps, so that a hung or hostile server cannot hold a worker for ever
// or fill the disk.
struct CurlLimits {
    long connectTimeoutSeconds = 30;  // name resolution, TCP and TLS handshakes, FTP login
    long stallSeconds = 60;           // abort when no byte arrives for this long
    long transferSeconds = 600;       // the whole fetch; 0 = no limit
    long maxRedirects = 10;
    std::uint64_t maxBodyBytes = 64ull << 20;  // 0 = no limit
    std::filesystem::path caFile;              // extra trust anchors; empty = system store
};

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
