#include "TextChecks.h"

#include <algorithm>

namespace wexfold::testing {
namespace {

constexpr std::string_view kSpace = " \t\r\n";

bool IsOneOf(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}

bool IsConversionLetter(char c) {
    return c == '%' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::vector<std::string> Conversions(std::string_view text) {
    std::vector<std::string> found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        std::size_t j = i + 1;
        while (j < text.size() && IsOneOf(text[j], "-+ #0")) ++j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        if (j < text.size() && text[j] == '.') {
            ++j;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        }
        while (j < text.size() && IsOneOf(text[j], "hljztL")) ++j;
        if (j < text.size() && IsConversionLetter(text[j])) {
            found.emplace_back(text.substr(i, j - i + 1));
            i = j;
        }
    }
    return found;
}

LineClass ClassifyLine(std::string_view line) {
    if (line.empty()) return LineClass::kOther;
    if (line[0] == '*') return LineClass::kInterval;
    if (line[0] == '!') return LineClass::kBroken;
    if (line[0] == '.') {
        return line.size() > 1 && line[1] == '.' ? LineClass::kSuccess : LineClass::kSpeed;
    }
    return LineClass::kOther;
}

std::string_view LeadingSpace(std::string_view text) {
    return text.substr(0, std::min(text.find_first_not_of(kSpace), text.size()));
}

std::string_view TrailingSpace(std::string_view text) {
    const std::size_t last = text.find_last_not_of(kSpace);
    return last == std::string_view::npos ? text : text.substr(last + 1);
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

}  // namespace wexfold::testing
