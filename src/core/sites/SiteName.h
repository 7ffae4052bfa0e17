// Site names double as folder names below the log folder, so a name must not be able to
// reach outside it or make a path the file system refuses.
#pragma once

namespace wexfold {

// True for a name of 1 to 10 bytes that is not "." or "..", and holds no '/', '\\' or control
// character (bytes below 0x20 and 0x7F). A null pointer is not safe.
bool IsSafeSiteName(const char* name);

}  // namespace wexfold
