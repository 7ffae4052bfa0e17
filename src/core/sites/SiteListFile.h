// The site list file "siteurl" and exported ".wxf" files: SiteRecord images back to back,
// stored in text mode (every 0x0A written as 0x0D 0x0A).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/common/Result.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

struct LoadHooks {
    // Called for each record that enters the list, before it does (appended, or replacing a
    // site after a Yes): opens its log file and writes the interval line. A record the answer
    // No drops is never loaded.
    std::function<void(SiteRecord&)> loaded;
    // Import only: asked for a record whose name matches an existing site; true replaces the
    // site in place, false drops the loaded record.
    std::function<bool(const SiteRecord& loaded)> askReplace;
    // Import only: a record was appended at this index (the engine starts it).
    std::function<void(int index)> appended;
    // Import only: the site at this index was replaced in place.
    std::function<void(int index)> replaced;
    // Import only: a record whose name is not a safe folder name was dropped (loaded
    // is not called for it). At start-up such a record is kept, since the log refuses to
    // build a path from it, so nothing the user stored is lost.
    std::function<void(const SiteRecord& dropped)> refused;
    // Import only: the old site that the answer Yes replaced, before the new record is loaded.
    // Its log can be closed.
    std::function<void(SiteRecord& gone)> released;
    // Import only: a list of maxSites sites takes no new one; each record that finds it full is
    // dropped (loaded is not called for it) and handed to full. A replace still goes through.
    std::size_t maxSites = static_cast<std::size_t>(-1);
    std::function<void(const SiteRecord& dropped)> full;
};

// The path of the site list file: "siteurl" in the current directory.
std::string SiteListPath();

// Reads the file at path (empty = the site list file) into list: at start-up (empty path)
// every record is appended; otherwise it is an import, which asks before replacing a site of
// the same name (byte-exact, case-sensitive). Every record is made safe to use first
// (RepairLoadedRecord); a final piece shorter than a record is ignored. A file that cannot be
// opened leaves the list unchanged. Hooks left empty are skipped; an empty askReplace answers
// No.
void LoadSiteList(const std::string& path, std::vector<SiteRecord>& list, const LoadHooks& hooks);

// Writes the whole list to path (empty = the site list file) through a temporary file in the
// same folder that replaces the old file only when it is complete. A failure leaves the old
// file as it was and says why ("cannot write PATH: No space left on device").
Result SaveSiteList(const std::vector<SiteRecord>& list, const std::string& path = {});

}  // namespace wexfold
