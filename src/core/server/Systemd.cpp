#include "core/server/Systemd.h"

#include <sys/stat.h>
#include <systemd/sd-daemon.h>

#include <cstdlib>
#include <string>

namespace wexfold {

void NotifyServiceManager(const std::string& state) {
    sd_notify(0, state.c_str());
}

bool WritesToJournal(int fd) {
    const char* stream = std::getenv("JOURNAL_STREAM");
    struct stat status {};
    if (stream == nullptr || fstat(fd, &status) != 0) return false;
    const std::string expected =
        std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    return expected == stream;
}

}  // namespace wexfold
