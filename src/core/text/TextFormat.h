// printf-style formatting of the string table's texts into a std::string.
#pragma once

#include <cstdio>
#include <string>

namespace wexfold {

template <typename... Args>
std::string FormatText(const char* format, Args... args) {
    const int size = std::snprintf(nullptr, 0, format, args...);
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace wexfold
