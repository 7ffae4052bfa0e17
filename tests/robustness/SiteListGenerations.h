// The site lists that the crash test's child program writes, one per generation, so that the
// test can tell which generation a site list file holds. Even generations are saved as they
// are; odd ones are imported from a ".wxf" file into the list before them, where a name that
// is already there is replaced and a new one appended. Their sizes vary from 1 to 23 sites.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/sites/SiteRecord.h"

namespace wexfold::testing {

inline bool IsImportGeneration(int generation) {
    return generation % 2 == 1;
}

// The sites that generation writes: "s0", "s1", ..., each with the generation in its address
// and interval.
inline std::vector<SiteRecord> GenerationSites(int generation) {
    std::vector<SiteRecord> sites(1 + generation * 7 % 23, NewSiteRecord());
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const std::string name = "s" + std::to_string(i);
        std::memcpy(sites[i].name, name.c_str(), name.size() + 1);
        std::snprintf(sites[i].fetchUrl, sizeof sites[i].fetchUrl, "http://g%d.test/%zu",
                      generation, i);
        sites[i].intervalSeconds = 10 + generation;
        sites[i].url.port = 10;  // the byte 0x0A, which the text mode stores as CR LF
    }
    return sites;
}

// The list as it is after generation has been written over list.
inline void ApplyGeneration(std::vector<SiteRecord>& list, int generation) {
    const std::vector<SiteRecord> written = GenerationSites(generation);
    if (!IsImportGeneration(generation)) {
        list = written;
        return;
    }
    if (list.size() < written.size()) list.resize(written.size());
    std::copy(written.begin(), written.end(), list.begin());
}

}  // namespace wexfold::testing
