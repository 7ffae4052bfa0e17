#include "ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace wexfold::testing {
namespace {

ChildEnd Reap(pid_t pid, int flags) {
    ChildEnd end;
    rusage usage{};
    pid_t got;
    do {
        got = ::wait4(pid, &end.status, flags, &usage);
    } while (got < 0 && errno == EINTR);
    end.peakRssKb = got == pid ? usage.ru_maxrss : -1;
    end.timedOut = got == 0;
    return end;
}

}  // namespace

pid_t StartChild(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                 int outFd) {
    std::vector<char*> words;
    for (const std::string& word : argv) words.push_back(const_cast<char*>(word.c_str()));
    words.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, words[0], &actions, nullptr, words.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

ChildEnd WaitChild(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const ChildEnd end = Reap(pid, WNOHANG);
        if (!end.timedOut) return end;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ChildEnd end = KillChild(pid);
    end.timedOut = true;
    return end;
}

ChildEnd KillChild(pid_t pid) {
    ::kill(pid, SIGKILL);
    return Reap(pid, 0);
}

}  // namespace wexfold::testing
