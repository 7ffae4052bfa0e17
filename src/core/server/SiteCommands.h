// Site management from the command line, over the site list of the current folder. Every
// check, limit, message and default is the add-site or settings dialog's own, so a list made
// here is byte for byte the list the window makes from the same input. A password is read
// from a file or standard input, never from the command line, where every user would see it.
//
// Commands that change the list take the folder's lock (FolderLock) first and refuse while a
// copy of the program runs on the folder, since its next save would undo the change.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/logs/Clock.h"

namespace wexfold {

// Exit codes: 0 done, 1 the list could not be written, 2 refused (a dialog's refusal, bad
// arguments, a running copy); every refusal says why on err.
inline constexpr int kCommandFailed = 1;
inline constexpr int kCommandRefused = 2;

// Runs the site command args[0] (IsSiteCommand) with its arguments. in is where
// "--password-file -" reads the password; out gets the listing; err every message.
int RunSiteCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, const Clock& clock);

}  // namespace wexfold
