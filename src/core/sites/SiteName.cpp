#include "core/sites/SiteName.h"

#include <cstring>

#include "core/sites/SiteRecord.h"

namespace wexfold {

bool IsSafeSiteName(const char* name) {
    if (name == nullptr) return false;
    const std::size_t length = strnlen(name, SiteRecord::kNameMax + 1);
    if (length == 0 || length > SiteRecord::kNameMax) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    }
    return true;
}

}  // namespace wexfold
