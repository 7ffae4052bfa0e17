// Checking a label edited in the site list before it becomes the site's name, and storing it.
#include <gtest/gtest.h>

#include "core/sites/SiteRename.h"

namespace wexfold {
namespace {

TEST(SiteRename, VerdictsForEditedLabelsAndTheStoredName) {
    std::vector<SiteRecord> sites(2, NewSiteRecord());
    ASSERT_TRUE(ApplyRename(sites[0], "tenletters") && ApplyRename(sites[1], "shop"));
    using enum RenameVerdict;
    const std::pair<std::optional<std::string>, RenameVerdict> cases[] = {
        {std::nullopt, kCancelled}, {"Shop", kAccepted},
        {"tenletters", kDuplicate}, {"shop", kDuplicate},
        {"elevenchars", kTooLong},  {"..", kUnsafe},
        {"a/b", kUnsafe},           {std::string("a\0b", 3), kUnsafe}};
    for (const auto& [text, verdict] : cases) {
        EXPECT_EQ(CheckRename(sites, 0, text), verdict) << text.value_or("(cancelled)");
    }
    // An edit of an item that stands for no site changes nothing.
    EXPECT_TRUE(CheckRename(sites, 2, "b") == kCancelled &&
                CheckRename(sites, -1, "b") == kCancelled);
    // The rest of the old name is gone, and nothing past the field changes.
    sites[0].pad0[0] = 0x5A;
    ASSERT_TRUE(ApplyRename(sites[0], "ab"));
    EXPECT_EQ(std::string(sites[0].name, sizeof sites[0].name + 1),
              "ab" + std::string(9, '\0') + "Z");
    EXPECT_FALSE(ApplyRename(sites[0], "elevenchars") ||
                 ApplyRename(sites[0], std::string("a\0b", 3)));
    EXPECT_EQ(SiteNameText(sites[0]), "ab");
}

}  // namespace
}  // namespace wexfold
