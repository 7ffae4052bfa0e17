// ParseHostText over arbitrary "Domain or IP" texts, then the composition of the address.
//
// Input: a byte choosing the scheme (bits 0-3, 8 and above: an unknown one) and whether a
// user name (bit 4), a password (bit 5) and a port from the next two bytes (bit 6) are set;
// then the text.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/sites/SiteAddress.h"

namespace wexfold::fuzz {
namespace {

std::string_view Field(const char* text, std::size_t size) {
    return {text, strnlen(text, size)};
}

void CheckCompose(const UrlParts& parts) {
    const std::size_t length = ComposedLength(parts);
    std::vector<char> buffer(length + 2, 'x');
    Check(!ComposeAddress(parts, buffer.data(), length), "composed into a buffer too small");
    Check(buffer[0] == 'x', "a refused composition wrote into the buffer");
    Check(ComposeAddress(parts, buffer.data(), length + 1), "refused a buffer that fits");
    Check(std::strlen(buffer.data()) == length && buffer[length + 1] == 'x',
          "composed length and written text disagree");
    Check(ComposeAddress(parts, nullptr, 0) == false, "composed into no buffer");

    SiteRecord record = NewSiteRecord();
    record.url = parts;
    const bool fits = ComposeFetchUrl(record);
    Check(fits == (length < sizeof record.fetchUrl), "fetch address fit misjudged");
    const std::string_view fetch = Field(record.fetchUrl, sizeof record.fetchUrl);
    Check(fetch.size() < sizeof record.fetchUrl, "fetch address lost its NUL");
    Check(fits ? fetch == std::string_view(buffer.data(), length) : fetch.empty(),
          "fetch address differs from the composed one");
}

}  // namespace
}  // namespace wexfold::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexfold;
    using namespace wexfold::fuzz;
    if (size < 3) return 0;
    const std::uint8_t mode = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

    UrlParts parts;
    ClearUrlParts(parts);
    const std::size_t scheme = mode & 15;
    Check(AssignScheme(parts, scheme < kSchemes.size() ? kSchemes[scheme].name : "x-Scheme"),
          "a scheme name was refused");
    if (mode & 16) Check(AssignUser(parts, "user"), "a user name was refused");
    if (mode & 32) AssignPassword(parts, "secret");
    if (mode & 64) parts.port = static_cast<std::uint16_t>(data[1] | data[2] << 8);

    const UrlParts before = parts;
    if (!ParseHostText(text, parts)) {
        Check(std::memcmp(&before, &parts, sizeof parts) == 0, "a refused text changed the parts");
        CheckCompose(parts);
        return 0;
    }
    Check(parts.hostNameLength == std::strlen(parts.hostName) &&
              parts.urlPathLength == std::strlen(parts.urlPath) &&
              parts.extraInfoLength == std::strlen(parts.extraInfo),
          "a length field differs from its text");
    Check(text.find('\0') == std::string_view::npos, "a text with a NUL was taken");

    // The editable text splits back into the same parts.
    const std::string edit = AddressText(parts);
    UrlParts again = parts;
    Check(ParseHostText(edit, again), "the address text of parsed parts is refused");
    Check(std::memcmp(&again, &parts, sizeof parts) == 0, "the address text splits differently");
    CheckCompose(parts);
    return 0;
}
