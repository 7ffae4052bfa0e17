// The record of the automatic update check, stored as "update.date" in the current folder:
// 12 bytes, little-endian, written in text mode like the site list.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/common/Result.h"

namespace wexfold {

struct UpdateRecord {
    static constexpr std::size_t kSize = 12;

    std::uint8_t autoCheck = 1;   // 1 = the automatic check is on
    std::int64_t lastUpdate = 0;  // seconds since 1970 of the last successful download

    // Bytes 0: autoCheck, 1-3: zero, 4-11: lastUpdate.
    std::array<std::uint8_t, kSize> Bytes() const;
    static UpdateRecord FromBytes(const std::array<std::uint8_t, kSize>& bytes);
};

// The path of the record: "update.date" in the current directory.
std::string UpdateRecordPath();

// Reads the record; false (and the record untouched) when the file is missing or shorter
// than a record.
bool LoadUpdateRecord(UpdateRecord& record, const std::string& path = UpdateRecordPath());

// Replaces the file with the record; false when it cannot be written.
Result SaveUpdateRecord(const UpdateRecord& record, const std::string& path = UpdateRecordPath());

}  // namespace wexfold
