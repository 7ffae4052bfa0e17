#include "core/update/UpdateListFiles.h"

#include <fstream>
#include <system_error>

#include "core/update/UpdateList.h"

namespace wexfold {

std::optional<std::string> ReadFileTail(const std::filesystem::path& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    const auto length =
        static_cast<std::size_t>(size) < maxBytes ? static_cast<std::size_t>(size) : maxBytes;
    std::string bytes(length, '\0');
    in.seekg(size - static_cast<std::streamoff>(length));
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    // A file that shrank meanwhile keeps what could be read.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::optional<std::uint64_t> LocalListStamp(const std::filesystem::path& folder) {
    const auto tail = ReadFileTail(folder / kUpdateListName, UpdateListHeader::kSize);
    if (!tail) return std::nullopt;
    if (tail->size() < UpdateListHeader::kSize) return 0;
    return DecodeHeader(*tail).stamp;
}

void RotateLists(const std::filesystem::path& folder, const std::filesystem::path& fetched) {
    std::error_code ignored;
    std::filesystem::remove(folder / kUpdateBackupName, ignored);
    std::filesystem::rename(folder / kUpdateListName, folder / kUpdateBackupName, ignored);
    // Fails, keeping the old file, when the local list could not be moved away.
    std::filesystem::copy_file(fetched, folder / kUpdateListName,
                               std::filesystem::copy_options::none, ignored);
    // Both copies are the user's own business.
    for (const char* name : {kUpdateListName, kUpdateBackupName}) {
        std::filesystem::permissions(
            folder / name, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
            ignored);
    }
}

void RestoreLists(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::remove(folder / kUpdateListName, ignored);
    std::filesystem::rename(folder / kUpdateBackupName, folder / kUpdateListName, ignored);
}

}  // namespace wexfold
