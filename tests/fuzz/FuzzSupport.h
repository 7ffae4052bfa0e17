// Shared pieces of the fuzz targets: one private work folder per process, made at start and
// removed at exit, and a check that turns a broken property into a crash libFuzzer records.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string_view>

namespace wexfold::fuzz {

// Fixes the time zone (with a daylight saving rule, so the calendar steps are exercised) and
// makes the work folder, removed at exit.
const std::filesystem::path& WorkFolder();

// Makes the work folder the current directory while it lives, for code that works on the
// current directory; libFuzzer's own relative paths (corpus, artifacts) are used only
// outside it.
class InWorkFolder {
  public:
    InWorkFolder();
    ~InWorkFolder();
    InWorkFolder(const InWorkFolder&) = delete;
    InWorkFolder& operator=(const InWorkFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

// Writes bytes as the whole file at path.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// Removes everything in the work folder except the names listed.
void ClearWorkFolder(std::initializer_list<std::string_view> keep = {});

// Aborts with the message when ok is false.
void Check(bool ok, const char* what);

}  // namespace wexfold::fuzz
