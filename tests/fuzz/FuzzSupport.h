// Shared pieces of the fuzz targets, and the standard headers they use: one private work folder
// per process, removed at exit, and a check that turns a broken property into a crash libFuzzer
// records.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace wexfold::fuzz {

inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

// Made on first use, with a time zone that has days of 23 and 25 hours, in memory-backed
// /dev/shm where there is one: the site list's saves sync, which a real disk would make slow.
inline const std::filesystem::path& WorkFolder() {
    static std::string made;  // outlives the exit handler, which is registered after it
    static const std::filesystem::path folder = [] {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        const char* tmp = getenv("TMPDIR");
        made = std::string(tmp ? tmp : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        made += "/wexfold-fuzz-XXXXXX";
        Check(mkdtemp(made.data()) != nullptr, "cannot make the work folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::filesystem::path(made);
    }();
    return folder;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "cannot write into the work folder");
}

}  // namespace wexfold::fuzz
