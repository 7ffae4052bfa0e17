// The crash test's child: loads the site list of FOLDER, which holds generation START, then
// writes generation after generation through the product's save and import until it is killed
// (or two seconds have passed). "saving G" is printed before generation G is written and
// "saved G" once it is on disk.
#include <sys/prctl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/sites/SiteListFile.h"
#include "robustness/SiteListGenerations.h"

using namespace wexfold;

int main(int argc, char** argv) {
    if (argc != 3 || ::chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: wexfold-list-saver FOLDER START\n");
        return 2;
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that died
    std::vector<SiteRecord> list;
    LoadSiteList({}, list, {});
    LoadHooks hooks;
    hooks.askReplace = [](const SiteRecord&) { return true; };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (int generation = std::atoi(argv[2]) + 1; std::chrono::steady_clock::now() < deadline;
         ++generation) {
        std::printf("saving %d\n", generation);
        std::fflush(stdout);
        if (testing::IsImportGeneration(generation)) {
            if (!SaveSiteList(testing::GenerationSites(generation), "import.wxf")) return 1;
            LoadSiteList("import.wxf", list, hooks);
        } else {
            list = testing::GenerationSites(generation);
        }
        if (!SaveSiteList(list)) return 1;
        std::printf("saved %d\n", generation);
        std::fflush(stdout);
    }
    return 0;
}
