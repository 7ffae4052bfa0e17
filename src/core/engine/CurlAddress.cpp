#include "core/engine/CurlAddress.h"

#include <curl/curl.h>

#include <memory>

namespace wexfold {
namespace {

struct UrlHandleFree {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleFree>;

std::string GetPart(CURLU* handle, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(handle, part, &value, 0) != CURLUE_OK || value == nullptr) return {};
    std::string text(value);
    curl_free(value);
    return text;
}

void AppendEscaped(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// Escapes what the URL parser would refuse or send raw: an '@' of the user part that is not
// the last one, and spaces and non-ASCII bytes in the path and query. The host is left alone
// so that international names still reach the IDN conversion.
std::string EscapeForParsing(const std::string& text) {
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos) return text;
    const std::size_t authorityBegin = schemeEnd + 3;
    std::size_t authorityEnd = text.find_first_of("/?#", authorityBegin);
    if (authorityEnd == std::string::npos) authorityEnd = text.size();
    const std::size_t lastAt = text.rfind('@', authorityEnd - 1);
    const bool hasUser = lastAt != std::string::npos && lastAt >= authorityBegin;

    std::string out = text.substr(0, authorityBegin);
    for (std::size_t i = authorityBegin; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool inUser = hasUser && i < lastAt;
        const bool inRest = i >= authorityEnd;
        if ((inUser && byte == '@') || (inRest && (byte == ' ' || byte >= 0x80))) {
            AppendEscaped(out, byte);
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool ParseFetchAddress(const std::string& text, CurlAddress& address, std::string& error) {
    if (text.empty()) {
        error = "empty address";
        return false;
    }
    UrlHandle handle(curl_url());
    if (!handle) {
        error = "out of memory";
        return false;
    }
    const CURLUcode code =
        curl_url_set(handle.get(), CURLUPART_URL, EscapeForParsing(text).c_str(), 0);
    if (code != CURLUE_OK) {
        error = std::string("malformed address: ") + curl_url_strerror(code);
        return false;
    }
    address.scheme = GetPart(handle.get(), CURLUPART_SCHEME);
    if (address.scheme != "http" && address.scheme != "https" && address.scheme != "ftp") {
        error = "unsupported scheme: " + address.scheme;
        return false;
    }
    address.host = GetPart(handle.get(), CURLUPART_HOST);
    address.url = GetPart(handle.get(), CURLUPART_URL);
    if (address.host.empty() || address.url.empty()) {
        error = "malformed address: no host";
        return false;
    }
    return true;
}

std::string ResolveLocation(const std::string& base, const std::string& location) {
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(handle.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK) {
        return {};
    }
    return GetPart(handle.get(), CURLUPART_URL);
}

std::string HostOfAddress(const std::string& url) {
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return {};
    }
    return GetPart(handle.get(), CURLUPART_HOST);
}

}  // namespace wexfold
