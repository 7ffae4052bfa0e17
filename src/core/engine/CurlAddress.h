// Address handling for the libcurl downloader: checking a fetch address before anything is
// opened, and resolving the targets of redirects for their status reports.
#pragma once

#include <string>

namespace wexfold {

struct CurlAddress {
    std::string url;     // the address as libcurl fetches it
    std::string scheme;  // lower case: "http", "https" or "ftp"
    std::string host;    // as written, "[...]" for IPv6
};

// Parses an absolute address. Spaces and bytes above 0x7F after the host are percent-encoded
// (the site dialogs compose addresses without escaping), and an '@' inside a password is
// encoded so that only the last '@' ends the user part. Returns false with a reason for an
// empty or malformed address and for any scheme other than http, https and ftp.
bool ParseFetchAddress(const std::string& text, CurlAddress& address, std::string& error);

// The absolute address a Location value points to, relative to base; empty when either
// cannot be parsed.
std::string ResolveLocation(const std::string& base, const std::string& location);

// The host of an absolute address, empty when it has none or cannot be parsed.
std::string HostOfAddress(const std::string& url);

}  // namespace wexfold
