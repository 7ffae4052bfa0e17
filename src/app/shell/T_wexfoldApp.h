// The desktop program: one copy per user, the main window for the life of the process.
#pragma once

namespace wexfold {

class MetricsBoard;

class T_wexfoldApp {
  public:
    // Runs the program; returns the process exit status. With a board, the window publishes
    // its figures there for the metrics endpoint.
    static int Run(int argc, char** argv, MetricsBoard* metrics = nullptr);
};

}  // namespace wexfold
