// One copy of the program at a time changes a folder's site list. Every copy that runs on a
// folder (the window, the headless mode) holds the lock of the file "wexfold.lock" there for
// its whole run, and the site commands hold it while they change the list. The lock is an
// flock on the open file: the kernel drops it when its holder ends, however it ends, so a
// crash leaves nothing behind to clean up. The file itself is never removed.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace wexfold {

inline constexpr const char* kFolderLockName = "wexfold.lock";

class FolderLock {
  public:
    enum class State {
        kHeld,    // this object holds the lock
        kTaken,   // another process holds it
        kFailed,  // the lock file could not be opened
    };

    // Takes the lock of folder (empty: the current directory) for holder, a word naming the
    // mode that takes it ("window", "headless", "--add"); the word and the process id are
    // written into the file, for the message of a copy that finds the lock taken. While
    // another process holds the lock it is tried again for up to wait.
    explicit FolderLock(const std::string& holder, std::chrono::milliseconds wait = {},
                        const std::filesystem::path& folder = {});
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }
    // When taken: the holder's word ("headless"), empty when it wrote none yet.
    const std::string& Holder() const { return holder_; }
    // When not held, what stands in the way, as a sentence for the user: "a copy of Wexfold
    // runs on this folder (headless, process 1234)", or why the lock file cannot be opened.
    const std::string& Reason() const { return reason_; }

  private:
    int fd_ = -1;
    State state_ = State::kFailed;
    std::string holder_;
    std::string reason_;
};

}  // namespace wexfold
