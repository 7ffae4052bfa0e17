#include "LogTestSupport.h"

#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "core/logs/Clock.h"

namespace wexfold::logtest {

ScratchFolder::ScratchFolder() {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "wexfold-logs-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::int64_t At(int year, int month, int day, int hour, int minute, int second) {
    return LocalMidnight(year, month, day) + hour * 3600 + minute * 60 + second;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

SiteRecord NamedSite(const char* name) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name, sizeof site.name - 1);
    return site;
}

ZoneScope::ZoneScope(const char* zone) : previous_(std::getenv("TZ")) {
    setenv("TZ", zone, 1);
    tzset();
}

ZoneScope::~ZoneScope() {
    setenv("TZ", previous_.c_str(), 1);
    tzset();
}

}  // namespace wexfold::logtest
