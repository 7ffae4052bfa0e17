// Texts of the site list written for machines: JSON strings and Prometheus label values. Both
// formats must be UTF-8, while a site list made elsewhere may hold any byte.
#pragma once

#include <string>
#include <string_view>

namespace wexfold {

// The text with every byte that does not belong to a valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

// The text for a terminal: valid UTF-8 without control characters (each shown as '?'), so a
// site list from elsewhere cannot send escape sequences to the screen.
std::string PrintableText(std::string_view text);

// The text as a quoted JSON string.
std::string JsonString(std::string_view text);

// The text as a quoted label value of the Prometheus text format: backslash, double quote
// and line feed escaped.
std::string LabelValue(std::string_view text);

}  // namespace wexfold
