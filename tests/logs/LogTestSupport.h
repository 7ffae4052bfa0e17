// Helpers shared by the log tests: a private folder, local times and whole-file reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/sites/SiteRecord.h"

namespace wexfold::logtest {

// A fresh folder below the system's temporary folder, removed with its contents at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Local time of the given day and clock time.
std::int64_t At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

std::string ReadBytes(const std::filesystem::path& path);
// Writes bytes exactly as given, making the folders on the way.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// A default record with the given name.
SiteRecord NamedSite(const char* name);

// Sets TZ for the scope and puts the zone before it back afterwards.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone);
    ~ZoneScope();

  private:
    std::string previous_;
};

}  // namespace wexfold::logtest
