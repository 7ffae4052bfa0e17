#include "FuzzSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace wexfold::fuzz {
namespace {

std::filesystem::path MakeFolder() {
    // Central European rules: a day of 23 and one of 25 hours each year.
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    // A memory-backed folder where there is one: the site list's saves sync to disk, which on
    // a real disk would make every run wait for it.
    std::error_code error;
    std::filesystem::path parent = "/dev/shm";
    if (getenv("TMPDIR") != nullptr || !std::filesystem::is_directory(parent, error) ||
        access(parent.c_str(), W_OK) != 0) {
        parent = std::filesystem::temp_directory_path();
    }
    std::string pattern = (parent / "wexfold-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    static char made[4096];
    std::snprintf(made, sizeof made, "%s", pattern.c_str());
    // The folder's name outlives every static object, so the exit handler can still use it.
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    });
    return pattern;
}

}  // namespace

const std::filesystem::path& WorkFolder() {
    static const std::filesystem::path folder = MakeFolder();
    return folder;
}

InWorkFolder::InWorkFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(WorkFolder());
}

InWorkFolder::~InWorkFolder() {
    std::filesystem::current_path(previous_);
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "cannot write into the work folder");
}

void ClearWorkFolder(std::initializer_list<std::string_view> keep) {
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(WorkFolder(), ignored)) {
        const std::string name = item.path().filename().string();
        if (std::find(keep.begin(), keep.end(), name) != keep.end()) continue;
        std::filesystem::remove_all(item.path(), ignored);
    }
}

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

}  // namespace wexfold::fuzz
