#include "core/sites/SiteAddress.h"

#include <algorithm>
#include <cstring>

namespace wexfold {
namespace {

// The text of a field, bounded by its array so that even a record that lost its NUL cannot
// be read past its end.
template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

template <std::size_t N>
bool Store(char (&field)[N], std::uint32_t& length, std::string_view text) {
    if (text.size() > N - 1 || text.find('\0') != std::string_view::npos) return false;
    std::memset(field, 0, N);
    if (!text.empty()) std::memcpy(field, text.data(), text.size());
    length = static_cast<std::uint32_t>(text.size());
    return true;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::int32_t FindScheme(std::string_view name) {
    for (std::size_t i = 0; i < kSchemes.size(); ++i) {
        if (SameName(name, kSchemes[i].name)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::uint16_t DefaultPort(std::int32_t schemeId) {
    if (schemeId < 0 || schemeId >= static_cast<std::int32_t>(kSchemes.size())) return 0;
    return kSchemes[static_cast<std::size_t>(schemeId)].defaultPort;
}

bool AssignScheme(UrlParts& parts, std::string_view name) {
    if (!Store(parts.scheme, parts.schemeLength, name)) return false;
    parts.schemeId = FindScheme(name);
    parts.port = DefaultPort(parts.schemeId);
    return true;
}

bool AssignHost(UrlParts& parts, std::string_view host) {
    return Store(parts.hostName, parts.hostNameLength, host);
}

bool AssignUser(UrlParts& parts, std::string_view user) {
    return Store(parts.userName, parts.userNameLength, user);
}

bool AssignPassword(UrlParts& parts, std::string_view password) {
    if (!password.empty() && Text(parts.userName).empty()) return false;
    return Store(parts.password, parts.passwordLength, password);
}

bool AssignPath(UrlParts& parts, std::string_view path) {
    return Store(parts.urlPath, parts.urlPathLength, path);
}

bool AssignQuery(UrlParts& parts, std::string_view query) {
    return Store(parts.extraInfo, parts.extraInfoLength, query);
}

bool ParseHostText(std::string_view text, UrlParts& parts) {
    const std::size_t slash = std::min(text.find('/'), text.size());
    const std::size_t mark = std::min(text.find('?'), text.size());
    std::string_view host = text;
    std::string_view path;
    std::string_view query;
    if (slash == 0) {
        // Nothing before the '/' can be a host: keep the text whole so it shows as typed.
    } else if (mark < slash) {
        host = text.substr(0, mark);
        query = text.substr(mark);
    } else {
        host = text.substr(0, slash);
        if (slash < text.size()) {
            const std::size_t pathEnd = std::min(mark + 1, text.size());
            path = text.substr(slash + 1, pathEnd - (slash + 1));
            query = text.substr(pathEnd);
        }
    }
    if (text.find('\0') != std::string_view::npos || host.size() > UrlParts::kHostMax ||
        path.size() > UrlParts::kPathMax || query.size() > UrlParts::kQueryMax) {
        return false;
    }
    return AssignHost(parts, host) && AssignPath(parts, path) && AssignQuery(parts, query);
}

std::string ComposedAddress(const UrlParts& parts) {
    std::string out;
    const std::string_view scheme = Text(parts.scheme);
    if (!scheme.empty()) {
        out.append(scheme).push_back(':');
        if (parts.schemeId != kSchemeMailto) out.append("//");
    }
    const std::string_view user = Text(parts.userName);
    if (!user.empty()) {
        out.append(user);
        const std::string_view password = Text(parts.password);
        if (!password.empty()) out.append(":").append(password);
        out.push_back('@');
    }
    const std::string_view host = Text(parts.hostName);
    const std::string_view path = Text(parts.urlPath);
    if (!host.empty()) {
        out.append(host);
        if (parts.port != DefaultPort(parts.schemeId)) {
            out.append(":").append(std::to_string(parts.port));
        }
        if (!path.empty() && path.front() != '/' && path.front() != '\\') out.push_back('/');
    }
    out.append(path).append(Text(parts.extraInfo));
    return out;
}

std::size_t ComposedLength(const UrlParts& parts) {
    return ComposedAddress(parts).size();
}

bool ComposeAddress(const UrlParts& parts, char* buffer, std::size_t capacity) {
    const std::string address = ComposedAddress(parts);
    if (buffer == nullptr || capacity < address.size() + 1) return false;
    std::memcpy(buffer, address.c_str(), address.size() + 1);
    return true;
}

bool ComposeFetchUrl(SiteRecord& record) {
    std::memset(record.fetchUrl, 0, sizeof record.fetchUrl);
    return ComposeAddress(record.url, record.fetchUrl, sizeof record.fetchUrl);
}

namespace {

// The length of "scheme://user[:password]@" when fetchUrl begins with it, else 0.
std::size_t CredentialPrefix(const std::string& fetchUrl, const UrlParts& parts,
                             std::size_t& schemePart) {
    const std::string_view user = Text(parts.userName);
    if (user.empty()) return 0;
    std::string prefix(Text(parts.scheme));
    prefix += parts.schemeId == kSchemeMailto ? ":" : "://";
    schemePart = prefix.size();
    prefix.append(user);
    const std::string_view password = Text(parts.password);
    if (!password.empty()) prefix.append(":").append(password);
    prefix.push_back('@');
    return fetchUrl.compare(0, prefix.size(), prefix) == 0 ? prefix.size() : 0;
}

}  // namespace

std::string AddressWithoutCredentials(const std::string& fetchUrl, const UrlParts& parts) {
    std::size_t schemePart = 0;
    const std::size_t prefix = CredentialPrefix(fetchUrl, parts, schemePart);
    if (prefix == 0) return fetchUrl;
    return fetchUrl.substr(0, schemePart) + fetchUrl.substr(prefix);
}

std::string DisplayAddress(const std::string& fetchUrl, const UrlParts& parts) {
    if (parts.userName[0] == '\0') return fetchUrl;
    std::size_t schemePart = 0;
    const std::size_t prefix = CredentialPrefix(fetchUrl, parts, schemePart);
    if (prefix != 0) {
        return fetchUrl.substr(0, schemePart) + std::string(Text(parts.userName)) + "@" +
               fetchUrl.substr(prefix);
    }
    UrlParts shown = parts;
    std::memset(shown.password, 0, sizeof shown.password);
    shown.passwordLength = 0;
    return ComposedAddress(shown);
}

std::string AddressText(const UrlParts& parts) {
    std::string out(Text(parts.hostName));
    const std::string_view path = Text(parts.urlPath);
    if (!path.empty()) out.append("/").append(path);
    out.append(Text(parts.extraInfo));
    return out;
}

}  // namespace wexfold
