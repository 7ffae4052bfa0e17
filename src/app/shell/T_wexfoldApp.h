// The desktop program: one copy per user, the main window for the life of the process.
#pragma once

namespace wexfold {

class T_wexfoldApp {
public:
    // Runs the program; returns the process exit status.
    static int Run(int argc, char** argv);
};

}  // namespace wexfold
