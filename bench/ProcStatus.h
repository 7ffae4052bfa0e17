// Figures of a process from /proc/PID/status (this one's by default), for the benchmarks.
#pragma once

#include <cstring>
#include <fstream>
#include <string>

// A field of /proc/self/status in kB (or a count for "Threads"); -1 when it is missing.
inline long StatusField(const char* field, const std::string& file = "/proc/self/status") {
    std::ifstream status(file);
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line[length] == ':') {
            return std::stol(line.substr(length + 1));
        }
    }
    return -1;
}
