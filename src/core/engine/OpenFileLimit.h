// The process's open-file limit: every running check holds a socket or two, so 256 sites on
// slow servers need more descriptors than the usual soft limit of 1024.
#pragma once

namespace wexfold {

// Raises the soft limit on open files to the hard limit. Returns the soft limit in force
// afterwards, -1 when it cannot be read.
long RaiseOpenFileLimit();

}  // namespace wexfold
