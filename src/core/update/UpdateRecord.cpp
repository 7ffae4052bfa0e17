#include "core/update/UpdateRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

std::string UpdateRecordPath() {
    return "update.date";
}

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

Result SaveUpdateRecord(const UpdateRecord& record, const std::string& path) {
    const auto bytes = record.Bytes();
    const std::string encoded =
        EncodeTextMode({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    // Readable by the user alone, whatever mode an older file had.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Failure("cannot open " + path, errno);
    int error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
    for (std::size_t done = 0; error == 0 && done < encoded.size();) {
        const ssize_t n = ::write(fd, encoded.data() + done, encoded.size() - done);
        if (n <= 0) error = n < 0 ? errno : EIO;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? Result() : Result::Failure("cannot write " + path, error);
}

}  // namespace wexfold
