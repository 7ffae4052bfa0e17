// Records read from a file are taken as they come, but nothing after the load may run past
// a field: RepairLoadedRecord makes every record safe to use, keeping what it can.
#pragma once

#include "core/sites/SiteRecord.h"

namespace wexfold {

// Makes a record read from a file safe to use:
// - every text ends with a NUL inside its array (the last byte is forced to NUL), the bytes
//   behind the NUL are zeroed and each length field is set to its text's length;
// - padding is zeroed and logFile reset to 0 (a stored handle means nothing);
// - the yes/no bytes (active and the alert and log options) become 0 or 1;
// - an interval of 0 or less becomes the default of 10 seconds; an unknown interval unit is
//   replaced by the unit that fits the seconds; alertMinutes is held to 0..60;
// - a list image outside the animation's 0..4 is set as starting or stopping the site does.
// Every value the program itself can store passes unchanged.
void RepairLoadedRecord(SiteRecord& record);

}  // namespace wexfold
