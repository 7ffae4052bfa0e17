// Programs that a robustness test starts, watches and, where it must, kills.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace wexfold::testing {

struct ChildEnd {
    int status = 0;      // as waitpid gives it
    long peakRssKb = 0;  // the child's peak resident size
    bool timedOut = false;
};

// Starts argv[0] with argv in folder (empty: this process's folder), its standard output
// going to outFd; -1 when it cannot be started.
pid_t StartChild(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                 int outFd);

// Waits for the child to end for at most limit, then kills it with SIGKILL; either way the
// child is reaped.
ChildEnd WaitChild(pid_t pid, std::chrono::milliseconds limit);

// Kills the child with SIGKILL now and reaps it.
ChildEnd KillChild(pid_t pid);

}  // namespace wexfold::testing
