// Checks the string table tests apply to every text of both languages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wexfold::testing {

// The printf/strftime conversions of a text in order, e.g. {"%lu", "%lu"} for "   %lu of %lu ";
// a '%' not followed by a conversion (as in "0%, ") is plain text.
std::vector<std::string> Conversions(std::string_view text);

// How the report reader classes a log line by its first characters.
enum class LineClass { kInterval, kBroken, kSuccess, kSpeed, kOther };
LineClass ClassifyLine(std::string_view line);

// The blanks and line ends a text begins and ends with.
std::string_view LeadingSpace(std::string_view text);
std::string_view TrailingSpace(std::string_view text);

bool IsValidUtf8(std::string_view text);

}  // namespace wexfold::testing
