#include "core/sites/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

namespace wexfold {

namespace {

constexpr std::chrono::milliseconds kRetryPause{50};

// What the holder wrote: "WORD PID".
std::string ReadHolder(int fd) {
    char buffer[128] = {};
    const ssize_t got = pread(fd, buffer, sizeof buffer - 1, 0);
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

}  // namespace

FolderLock::FolderLock(const std::string& holder, std::chrono::milliseconds wait,
                       const std::filesystem::path& folder) {
    const std::filesystem::path path =
        folder.empty() ? std::filesystem::path(kFolderLockName) : folder / kFolderLockName;
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        reason_ = "the lock file " + path.string() + " cannot be opened: " + std::strerror(errno);
        return;
    }
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= giveUp) {
            state_ = errno == EWOULDBLOCK ? State::kTaken : State::kFailed;
            // A holder writes its name just after it takes the lock: a copy started at the
            // same moment gives it a second to do so.
            long pid = 0;
            for (int tries = 0; state_ == State::kTaken && pid <= 0 && tries < 20; ++tries) {
                if (tries > 0) std::this_thread::sleep_for(kRetryPause);
                std::istringstream written(ReadHolder(fd_));
                written >> holder_ >> pid;
            }
            reason_ = state_ == State::kFailed
                          ? "the lock file " + path.string() +
                                " cannot be locked: " + std::strerror(errno)
                          : "a copy of Wexfold runs on this folder" +
                                (pid > 0 ? " (" + holder_ + ", process " + std::to_string(pid) + ")"
                                         : std::string());
            close(fd_);
            fd_ = -1;
            return;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    state_ = State::kHeld;
    const std::string text = holder + " " + std::to_string(getpid()) + "\n";
    if (ftruncate(fd_, 0) == 0) {
        // The text only serves the message of a copy that finds the lock taken.
        [[maybe_unused]] const ssize_t written = pwrite(fd_, text.data(), text.size(), 0);
    }
}

FolderLock::~FolderLock() {
    // Closing the file drops the lock.
    if (fd_ >= 0) close(fd_);
}

}  // namespace wexfold
