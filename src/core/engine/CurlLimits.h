// Bounds every libcurl fetch keeps, so that a hung or hostile server cannot hold a fetch for
// ever or fill the disk.
#pragma once

#include <cstdint>
#include <filesystem>

namespace wexfold {

struct CurlLimits {
    long connectTimeoutSeconds = 30;  // name resolution, TCP and TLS handshakes, FTP login
    long stallSeconds = 60;           // abort when no byte arrives for this long
    long transferSeconds = 600;       // the whole fetch; 0 = no limit
    long maxRedirects = 10;
    std::uint64_t maxBodyBytes = 64ull << 20;  // 0 = no limit
    std::filesystem::path caFile;              // extra trust anchors; empty = system store
};

}  // namespace wexfold
