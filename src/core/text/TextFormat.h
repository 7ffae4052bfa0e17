// printf-style formatting of the string table's texts into a std::string.
#pragma once

#include <cstdio>
#include <string>

namespace wexfold {

template <typename... Args>
std::string FormatText(const char* format, Args... args) {
    // Most texts fit the buffer and are formatted once; a longer one is formatted again.
    char buffer[256];
    const int size = std::snprintf(buffer, sizeof buffer, format, args...);
    if (size <= 0) return {};
    if (static_cast<std::size_t>(size) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(size));
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace wexfold
