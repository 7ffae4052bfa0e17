// Helpers of the site tests: record images built byte by byte at their stored offsets.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/sites/SiteRecord.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

inline void PutBytes(std::string& image, std::size_t offset, std::string_view bytes) {
    image.replace(offset, bytes.size(), bytes);
}

inline void PutU16(std::string& image, std::size_t offset, std::uint16_t value) {
    image[offset] = static_cast<char>(value & 0xFF);
    image[offset + 1] = static_cast<char>(value >> 8);
}

inline void PutU32(std::string& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The image of a new record named name, written at the literal stored offsets: scheme "http"
// (number 2, length 4, port 80), interval 10 s, alert and logging on.
inline std::string DefaultImage(std::string_view name) {
    std::string image(4972, '\0');
    PutBytes(image, 0, name);
    PutBytes(image, 12, "http");
    PutU16(image, 12 + 4646, 80);
    PutU32(image, 12 + 4648, 2);
    PutU32(image, 12 + 4652, 4);
    PutU32(image, 4956, 10);
    image[4960] = 1;
    image[4964] = 1;
    image[4965] = 1;
    image[4966] = 1;
    return image;
}

// The stored form of a record image whose only 0x0A byte is the low byte of interval 10.
inline std::string StoredDefault(std::string image) {
    image.insert(4956, 1, '\r');
    return image;
}

inline SiteRecord FromImage(const std::string& image) {
    SiteRecord record;
    std::memcpy(&record, image.data(), sizeof record);
    return record;
}

inline std::string ImageOf(const SiteRecord& record) {
    return {reinterpret_cast<const char*>(&record), sizeof record};
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace wexfold::testing
