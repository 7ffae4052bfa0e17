// Checking a label edited in the site list before it becomes the site's name, and storing it.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/SiteRename.h"

namespace wexfold {
namespace {

SiteRecord Site(const char* name) {
    SiteRecord site = NewSiteRecord();
    std::memcpy(site.name, name, std::strlen(name));  // test names fit the field
    return site;
}

TEST(SiteRename, VerdictsForEditedLabels) {
    const std::vector<SiteRecord> sites{Site("home"), Site("shop")};
    struct Case {
        std::optional<std::string> text;
        RenameVerdict verdict;
    };
    const Case cases[] = {
        {std::nullopt, RenameVerdict::kCancelled},
        {"garden", RenameVerdict::kAccepted},
        {"Home", RenameVerdict::kAccepted},  // case matters
        {"tenletters", RenameVerdict::kAccepted},
        {"home", RenameVerdict::kDuplicate},  // the edited site's own name
        {"shop", RenameVerdict::kDuplicate},
        {"elevenchars", RenameVerdict::kTooLong},
        {"..", RenameVerdict::kUnsafe},
        {".", RenameVerdict::kUnsafe},
        {"a/b", RenameVerdict::kUnsafe},
        {"a\\b", RenameVerdict::kUnsafe},
        {"", RenameVerdict::kUnsafe},
        {std::string("ho\0me", 5), RenameVerdict::kUnsafe},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.value_or("(cancelled)"));
        EXPECT_EQ(CheckRename(sites, 0, c.text), c.verdict);
    }
    // An edit of an item that stands for no site changes nothing.
    EXPECT_EQ(CheckRename(sites, 2, "b"), RenameVerdict::kCancelled);
    EXPECT_EQ(CheckRename(sites, -1, "b"), RenameVerdict::kCancelled);
}

TEST(SiteRename, ApplyStoresTheNameWithinTheField) {
    SiteRecord site = Site("longername");
    site.pad0[0] = 0x5A;
    ASSERT_TRUE(ApplyRename(site, "ab"));
    EXPECT_STREQ(site.name, "ab");
    // The rest of the old name is gone, not just cut off.
    for (std::size_t i = 2; i < sizeof site.name; ++i) EXPECT_EQ(site.name[i], '\0') << i;
    EXPECT_EQ(site.pad0[0], 0x5A);

    ASSERT_TRUE(ApplyRename(site, "tenletters"));
    EXPECT_EQ(SiteNameText(site), "tenletters");
    EXPECT_EQ(site.name[SiteRecord::kNameMax], '\0');
    EXPECT_EQ(site.pad0[0], 0x5A);

    EXPECT_FALSE(ApplyRename(site, "elevenchars"));
    EXPECT_FALSE(ApplyRename(site, std::string("a\0b", 3)));
    EXPECT_EQ(SiteNameText(site), "tenletters");
}

}  // namespace
}  // namespace wexfold
