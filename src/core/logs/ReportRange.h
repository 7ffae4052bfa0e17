// The checks of a report's date range, shared by the Report tab and the command line.
#pragma once

#include <cstdint>

namespace wexfold {

enum class RangeCheck { kValid, kFromAfterTo, kToAfterNow };

// from and to are local midnights; today itself passes as To.
RangeCheck CheckReportRange(std::int64_t from, std::int64_t to, std::int64_t now);

// The message of a refused range ("'To' date can't later than ..."), empty for kValid.
const char* RangeMessage(RangeCheck check);

// The caption of those messages: "Select date error".
const char* RangeCaption();

}  // namespace wexfold
