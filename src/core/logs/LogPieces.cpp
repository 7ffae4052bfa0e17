#include "core/logs/LogPieces.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace wexfold {

bool LogPieceReader::Open(const std::filesystem::path& path, std::uint64_t from) {
    Close();
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    if (from != 0 && ::lseek(fd_, static_cast<off_t>(from), SEEK_SET) < 0) {
        Close();
        return false;
    }
    return true;
}

std::size_t LogPieceReader::Fill(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) return 0;  // a read error ends the file as its end would
    }
}

void LogPieceReader::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace wexfold
