// The floor of a check's cost: one fresh libcurl easy handle per fetch, the body thrown
// away, nothing else. Each second it fetches SITES addresses one after another, for SECONDS,
// printing "checks N" (the fetches that succeeded so far) after each second's fetches.
//
//   bare_loop URL SITES SECONDS [CAFILE]      (URL gets "?site=I" appended)
#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bare_loop URL SITES SECONDS [CAFILE]\n");
        return 2;
    }
    const std::string url = argv[1];
    const int sites = std::atoi(argv[2]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
    const char* caFile = argc > 4 ? argv[4] : nullptr;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    long checks = 0;
    for (auto second = std::chrono::steady_clock::now(); second < end;
         second += std::chrono::seconds(1)) {
        for (int i = 0; i < sites; ++i) {
            CURL* curl = curl_easy_init();
            const std::string address = url + "?site=" + std::to_string(i);
            curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
            curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
            if (caFile != nullptr) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile);
            if (curl_easy_perform(curl) == CURLE_OK) ++checks;
            curl_easy_cleanup(curl);
        }
        std::printf("checks %ld\n", checks);
        std::fflush(stdout);
        std::this_thread::sleep_until(second + std::chrono::seconds(1));
    }
    curl_global_cleanup();
    return 0;
}
