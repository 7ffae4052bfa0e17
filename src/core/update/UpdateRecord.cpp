#include "core/update/UpdateRecord.h"

#include <fstream>
#include <iterator>

#include "core/sites/TextModeCodec.h"

namespace wexfold {

std::array<std::uint8_t, UpdateRecord::kSize> UpdateRecord::Bytes() const {
    std::array<std::uint8_t, kSize> bytes{};
    bytes[0] = autoCheck;
    const auto value = static_cast<std::uint64_t>(lastUpdate);
    for (int i = 0; i < 8; ++i) bytes[4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

UpdateRecord UpdateRecord::FromBytes(const std::array<std::uint8_t, kSize>& bytes) {
    UpdateRecord record;
    record.autoCheck = bytes[0];
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<std::uint64_t>(bytes[4 + i]) << (8 * i);
    record.lastUpdate = static_cast<std::int64_t>(value);
    return record;
}

std::string UpdateRecordPath() { return "update.date"; }

bool LoadUpdateRecord(UpdateRecord& record, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string stored{std::istreambuf_iterator<char>(in), {}};
    // A 0x1A byte of the time is data here, not the end of the file.
    const std::string decoded = DecodeTextMode(stored);
    if (decoded.size() < UpdateRecord::kSize) return false;
    std::array<std::uint8_t, UpdateRecord::kSize> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(decoded[i]);
    record = UpdateRecord::FromBytes(bytes);
    return true;
}

bool SaveUpdateRecord(const UpdateRecord& record, const std::string& path) {
    const auto bytes = record.Bytes();
    const std::string encoded = EncodeTextMode({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace wexfold
