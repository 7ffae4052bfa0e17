#include "core/logs/ReportRange.h"

#include "core/text/StringTable.h"

namespace wexfold {

RangeCheck CheckReportRange(std::int64_t from, std::int64_t to, std::int64_t now) {
    if (from > to) return RangeCheck::kFromAfterTo;
    if (to > now) return RangeCheck::kToAfterNow;
    return RangeCheck::kValid;
}

const char* RangeMessage(RangeCheck check) {
    switch (check) {
        case RangeCheck::kFromAfterTo:
            return Translate("'To' date can't later than 'From' date");
        case RangeCheck::kToAfterNow:
            return Translate("'To' date can't later than Today");
        default:
            return "";
    }
}

const char* RangeCaption() {
    return Translate("Select date error");
}

}  // namespace wexfold
