#include "core/sites/TextModeCodec.h"

namespace wexfold {

// Both copy the spans between the bytes they change whole, not byte by byte.

std::string EncodeTextMode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t from = 0; from < bytes.size();) {
        const std::size_t lf = bytes.find('\n', from);
        if (lf == std::string_view::npos) {
            out.append(bytes.substr(from));
            break;
        }
        out.append(bytes.substr(from, lf - from)).append("\r\n");
        from = lf + 1;
    }
    return out;
}

std::string DecodeTextMode(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t from = 0; from < stored.size();) {
        const std::size_t crlf = stored.find("\r\n", from);
        if (crlf == std::string_view::npos) {
            out.append(stored.substr(from));
            break;
        }
        // The CR is left out; the LF starts the next span.
        out.append(stored.substr(from, crlf - from));
        from = crlf + 1;
    }
    return out;
}

}  // namespace wexfold
