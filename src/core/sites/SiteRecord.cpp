#include "core/sites/SiteRecord.h"

#include <cstring>

namespace wexfold {

void ClearUrlParts(UrlParts& parts) {
    std::memset(&parts, 0, sizeof parts);
    parts.schemeId = -1;
}

SiteRecord NewSiteRecord() {
    SiteRecord record;
    std::memset(&record, 0, sizeof record);
    ClearUrlParts(record.url);
    std::memcpy(record.url.scheme, "http", 4);
    record.url.schemeId = 2;
    record.url.schemeLength = 4;
    record.url.port = 80;
    record.intervalUnit = kIntervalDefault;
    record.intervalSeconds = 10;
    record.alertOnLoss = 1;
    record.alertMinutes = 0;
    record.logEnabled = 1;
    record.logAllDetail = 1;
    record.autoDeleteLogs = 1;
    return record;
}

}  // namespace wexfold
