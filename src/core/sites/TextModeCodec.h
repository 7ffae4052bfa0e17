// The newline translation of files stored in text mode: every LF written becomes CR LF, and
// CR LF read becomes LF. Stored site lists and log files keep this byte form.
#pragma once

#include <string>
#include <string_view>

namespace wexfold {

// Every 0x0A becomes 0x0D 0x0A; all other bytes are copied unchanged.
std::string EncodeTextMode(std::string_view bytes);

// Every pair 0x0D 0x0A becomes 0x0A; a lone 0x0D and 0x1A are copied unchanged.
std::string DecodeTextMode(std::string_view stored);

}  // namespace wexfold
