// The wexfold command: the desktop program, or one of its modes without a window.
#include <cstring>
#include <iostream>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  wexfold                       the desktop program\n"
    "  wexfold --headless            monitor the site list of the current folder without a window\n"
    "  wexfold --report NAME FROM TO [--filter broken,connectivity,speed]\n"
    "                                print a site's report (dates as YYYY-MM-DD)\n"
    "  wexfold --help | --version\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "wexfold " << WEXFOLD_VERSION << "\n";
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--help") != 0) {
        std::cerr << "wexfold: unknown option '" << argv[1] << "'\n" << kUsage;
        return 2;
    }
    std::cout << kUsage;
    return 0;
}
