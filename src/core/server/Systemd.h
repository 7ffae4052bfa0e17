// The headless mode as a systemd service: it tells the service manager when it is ready, what
// it is doing and when it stops, and gives the journal each line's priority.
#pragma once

#include <string>

namespace wexfold {

// Sends state ("READY=1", "STATUS=...", "STOPPING=1") to the service manager when the program
// runs as a notify service; does nothing otherwise.
void NotifyServiceManager(const std::string& state);

// True when fd is connected to the journal (systemd names the stream in JOURNAL_STREAM): a
// line may then begin with its priority, "<4>" for a warning.
bool WritesToJournal(int fd);

// Syslog priorities the journal reads from such a prefix.
inline constexpr int kPriorityError = 3;
inline constexpr int kPriorityWarning = 4;
inline constexpr int kPriorityInfo = 6;
inline constexpr int kPriorityDebug = 7;

}  // namespace wexfold
