#include "core/sites/SiteRecordRepair.h"

#include <cstring>

namespace wexfold {
namespace {

template <std::size_t N>
std::uint32_t TerminateText(char (&text)[N]) {
    text[N - 1] = '\0';
    const std::size_t length = std::strlen(text);
    std::memset(text + length, 0, N - length);
    return static_cast<std::uint32_t>(length);
}

std::uint8_t Flag(std::uint8_t value) {
    return value != 0 ? 1 : 0;
}

std::int16_t UnitForSeconds(std::int32_t seconds) {
    if (seconds == 10) return kIntervalDefault;
    if (seconds < 60) return kIntervalSeconds;
    if (seconds < 3600) return kIntervalMinutes;
    return kIntervalHours;
}

}  // namespace

void RepairLoadedRecord(SiteRecord& record) {
    TerminateText(record.name);
    TerminateText(record.fetchUrl);
    UrlParts& url = record.url;
    url.schemeLength = TerminateText(url.scheme);
    url.hostNameLength = TerminateText(url.hostName);
    url.userNameLength = TerminateText(url.userName);
    url.passwordLength = TerminateText(url.password);
    url.urlPathLength = TerminateText(url.urlPath);
    url.extraInfoLength = TerminateText(url.extraInfo);

    std::memset(record.pad0, 0, sizeof record.pad0);
    std::memset(record.pad1, 0, sizeof record.pad1);
    std::memset(record.pad2, 0, sizeof record.pad2);
    std::memset(record.pad3, 0, sizeof record.pad3);
    std::memset(record.pad4, 0, sizeof record.pad4);
    record.logFile = 0;

    record.active = Flag(record.active);
    record.alertOnLoss = Flag(record.alertOnLoss);
    record.logEnabled = Flag(record.logEnabled);
    record.logAllDetail = Flag(record.logAllDetail);
    record.autoDeleteLogs = Flag(record.autoDeleteLogs);
    if (record.listImage > 4) record.listImage = record.active == 1 ? 0 : 1;

    if (record.intervalSeconds <= 0) {
        record.intervalSeconds = 10;
        record.intervalUnit = kIntervalDefault;
    }
    if (record.intervalUnit < kIntervalDefault || record.intervalUnit > kIntervalHours) {
        record.intervalUnit = UnitForSeconds(record.intervalSeconds);
    }
    if (record.alertMinutes < 0) record.alertMinutes = 0;
    if (record.alertMinutes > 60) record.alertMinutes = 60;
}

}  // namespace wexfold
