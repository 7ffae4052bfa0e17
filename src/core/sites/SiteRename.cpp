#include "core/sites/SiteRename.h"

#include <cstring>

#include "core/sites/SiteName.h"

namespace wexfold {

std::string SiteNameText(const SiteRecord& site) {
    return std::string(site.name, strnlen(site.name, sizeof site.name));
}

RenameVerdict CheckRename(const std::vector<SiteRecord>& sites, int edited,
                          const std::optional<std::string>& newText) {
    if (!newText || edited < 0 || static_cast<std::size_t>(edited) >= sites.size()) {
        return RenameVerdict::kCancelled;
    }
    const std::string& text = *newText;
    if (text.size() > SiteRecord::kNameMax) return RenameVerdict::kTooLong;
    // A NUL inside the text would cut the stored name short of what the user typed.
    if (text.find('\0') != std::string::npos || !IsSafeSiteName(text.c_str())) {
        return RenameVerdict::kUnsafe;
    }
    for (const SiteRecord& site : sites) {
        if (SiteNameText(site) == text) return RenameVerdict::kDuplicate;
    }
    return RenameVerdict::kAccepted;
}

bool ApplyRename(SiteRecord& site, const std::string& name) {
    if (name.size() > SiteRecord::kNameMax || name.find('\0') != std::string::npos) {
        return false;
    }
    std::memset(site.name, 0, sizeof site.name);
    std::memcpy(site.name, name.data(), name.size());
    return true;
}

}  // namespace wexfold
