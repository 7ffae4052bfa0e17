// The list files of the working directory: "update.txt", the local copy of the list as it was
// after the last check that found new files, and "update.txt.bk", the copy before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace wexfold {

inline constexpr const char* kUpdateListName = "update.txt";
inline constexpr const char* kUpdateBackupName = "update.txt.bk";

// The last maxBytes of a file (all of it when smaller); nothing when it does not open.
std::optional<std::string> ReadFileTail(const std::filesystem::path& path, std::size_t maxBytes);

// The stamp of the newest header of the local list: nothing when the file does not open,
// 0 when it is shorter than a header.
std::optional<std::uint64_t> LocalListStamp(const std::filesystem::path& folder);

// Deletes the backup, renames the local list to the backup and copies fetched to the local
// list. A failed step reports nothing and leaves the files as they are.
void RotateLists(const std::filesystem::path& folder, const std::filesystem::path& fetched);

// Deletes the local list and renames the backup back to it.
void RestoreLists(const std::filesystem::path& folder);

}  // namespace wexfold
