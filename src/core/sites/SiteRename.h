// Renaming a site in the list view: whether the edited label may become the site's name, and
// storing it in the record's fixed name field.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/sites/SiteRecord.h"

namespace wexfold {

// The message for a name that is too long or cannot be a folder name, with the name.
inline constexpr const char* kUnusableSiteName =
    "The name '%s' can't be used: a site name has at most 10 characters, holds no '/' and is "
    "not '.' or '..'.";

enum class RenameVerdict {
    kCancelled,  // the edit ended without a text, or no such site: nothing changes
    kAccepted,
    kTooLong,    // more than SiteRecord::kNameMax bytes
    kUnsafe,     // not a safe folder name (IsSafeSiteName) or holds a NUL byte
    kDuplicate,  // some site already has this name; the message is string 202
};

// The site's name as text, read no further than its field.
std::string SiteNameText(const SiteRecord& site);

// The label `newText` for site `edited`. Names are compared byte for byte with every site,
// the edited one included, so renaming a site to its own name is refused as a duplicate.
RenameVerdict CheckRename(const std::vector<SiteRecord>& sites, int edited,
                          const std::optional<std::string>& newText);

// Stores the name NUL-terminated with zeroed bytes behind it. Returns false and changes
// nothing when it does not fit the field or holds a NUL byte.
bool ApplyRename(SiteRecord& site, const std::string& name);

}  // namespace wexfold
