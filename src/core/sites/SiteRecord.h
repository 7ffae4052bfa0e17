// The fixed-size site record. Its byte image is the stored form in the site list file and in
// exported ".wxf" files, so every offset below is part of the file format.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wexfold {

// An address in components. Every text is NUL-terminated and its length field equals its
// string length.
struct UrlParts {
    static constexpr std::size_t kSchemeMax = 32;
    static constexpr std::size_t kHostMax = 256;
    static constexpr std::size_t kUserMax = 128;
    static constexpr std::size_t kPasswordMax = 128;
    static constexpr std::size_t kPathMax = 2048;
    static constexpr std::size_t kQueryMax = 2048;

    char scheme[kSchemeMax + 1];
    char hostName[kHostMax + 1];
    char userName[kUserMax + 1];
    char password[kPasswordMax + 1];
    char urlPath[kPathMax + 1];
    char extraInfo[kQueryMax + 1];
    std::uint16_t port;
    std::int32_t schemeId;
    std::uint32_t schemeLength;
    std::uint32_t hostNameLength;
    std::uint32_t userNameLength;
    std::uint32_t passwordLength;
    std::uint32_t urlPathLength;
    std::uint32_t extraInfoLength;
};

// Interval choices of the settings dialog.
enum IntervalUnit : std::int16_t {
    kIntervalDefault = 0,
    kIntervalSeconds = 1,
    kIntervalMinutes = 2,
    kIntervalHours = 3,
};

struct SiteRecord {
    static constexpr std::size_t kNameMax = 10;
    static constexpr std::size_t kFetchUrlSize = 256;

    char name[kNameMax + 1];
    std::uint8_t pad0[1];
    UrlParts url;
    std::uint32_t listImage;
    std::uint8_t active;
    char fetchUrl[kFetchUrlSize];
    std::uint8_t pad1[3];
    std::int16_t intervalUnit;
    std::uint8_t pad2[2];
    std::int32_t intervalSeconds;
    std::uint8_t alertOnLoss;
    std::uint8_t pad3[1];
    std::int16_t alertMinutes;
    std::uint8_t logEnabled;
    std::uint8_t logAllDetail;
    std::uint8_t autoDeleteLogs;
    std::uint8_t pad4[1];
    // Run-time only: the handle of the site's open log file in LogFiles (0 = none). Its stored
    // value means nothing and is replaced on load; saves store 0.
    std::uint32_t logFile;
};

static_assert(sizeof(UrlParts) == 4676);
static_assert(offsetof(UrlParts, scheme) == 0);
static_assert(offsetof(UrlParts, hostName) == 33);
static_assert(offsetof(UrlParts, userName) == 290);
static_assert(offsetof(UrlParts, password) == 419);
static_assert(offsetof(UrlParts, urlPath) == 548);
static_assert(offsetof(UrlParts, extraInfo) == 2597);
static_assert(offsetof(UrlParts, port) == 4646);
static_assert(offsetof(UrlParts, schemeId) == 4648);
static_assert(offsetof(UrlParts, schemeLength) == 4652);
static_assert(offsetof(UrlParts, hostNameLength) == 4656);
static_assert(offsetof(UrlParts, userNameLength) == 4660);
static_assert(offsetof(UrlParts, passwordLength) == 4664);
static_assert(offsetof(UrlParts, urlPathLength) == 4668);
static_assert(offsetof(UrlParts, extraInfoLength) == 4672);

static_assert(sizeof(SiteRecord) == 4972);
static_assert(offsetof(SiteRecord, name) == 0);
static_assert(offsetof(SiteRecord, url) == 12);
static_assert(offsetof(SiteRecord, listImage) == 4688);
static_assert(offsetof(SiteRecord, active) == 4692);
static_assert(offsetof(SiteRecord, fetchUrl) == 4693);
static_assert(offsetof(SiteRecord, intervalUnit) == 4952);
static_assert(offsetof(SiteRecord, intervalSeconds) == 4956);
static_assert(offsetof(SiteRecord, alertOnLoss) == 4960);
static_assert(offsetof(SiteRecord, alertMinutes) == 4962);
static_assert(offsetof(SiteRecord, logEnabled) == 4964);
static_assert(offsetof(SiteRecord, logAllDetail) == 4965);
static_assert(offsetof(SiteRecord, autoDeleteLogs) == 4966);
static_assert(offsetof(SiteRecord, logFile) == 4968);

// Empties all six texts, sets every length and the port to 0 and the scheme number to -1.
void ClearUrlParts(UrlParts& parts);

// A record with the defaults of a new site: all bytes zero, then scheme "http" (number 2,
// port 80), default interval of 10 seconds, alert and all logging switched on.
SiteRecord NewSiteRecord();

}  // namespace wexfold
