// The per-check work the product must do, done plainly: each second SITES checks start on one
// libcurl multi handle (fresh connections), the body is counted, and every line a site logs
// with full detail goes into its own file (start, name, connection, answer, content type,
// body, verdict, and a speed line a second), every file flushed once a second. Prints
// "checks N" (the checks that ended so far) once a second and at the end.
//
//   work_loop URL SITES SECONDS FOLDER [CAFILE]      (URL gets "?site=I" appended)
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Site {
    std::FILE* log = nullptr;
    std::string url;
    std::uint64_t bytesThisSecond = 0;
};

struct Check {
    Site* site;
    CURL* easy = nullptr;
    bool answered = false;
    bool begun = false;
    std::uint64_t bytes = 0;
};

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::strftime(text, sizeof text, " %H:%M:%S %m/%d 20%y ", &local);
    return text;
}

void Line(Site& site, const std::string& text) {
    const std::string line = text + "\r\r\n";
    std::fwrite(line.data(), 1, line.size(), site.log);
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto& check = *static_cast<Check*>(self);
    const std::string line(data, size * count);
    if (!check.answered && line.rfind("HTTP/", 0) == 0) {
        check.answered = true;
        Line(*check.site, "Sending request. ");
    } else if (line.rfind("Content-Type:", 0) == 0) {
        Line(*check.site, "MIME Type available " + line.substr(14, line.size() - 16));
    }
    return size * count;
}

std::size_t OnBody(char*, std::size_t size, std::size_t count, void* self) {
    auto& check = *static_cast<Check*>(self);
    check.bytes += size * count;
    check.site->bytesThisSecond += size * count;
    if (!check.begun) {
        check.begun = true;
        Line(*check.site, "Begin download data " + check.site->url);
    }
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: work_loop URL SITES SECONDS FOLDER [CAFILE]\n");
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
    const char* caFile = argc > 5 ? argv[5] : nullptr;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    std::vector<Site> sites(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        sites[i].url = std::string(argv[1]) + "?site=" + std::to_string(i);
        sites[i].log = std::fopen((std::string(argv[4]) + "/s" + std::to_string(i)).c_str(), "ab");
        if (sites[i].log == nullptr) return 1;
    }
    CURLM* multi = curl_multi_init();
    long checks = 0;
    auto nextSecond = std::chrono::steady_clock::now();
    int running = 0;
    while (std::chrono::steady_clock::now() < end || running > 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextSecond && now < end) {
            nextSecond += std::chrono::seconds(1);
            std::printf("checks %ld\n", checks);
            std::fflush(stdout);
            for (Site& site : sites) {
                if (site.bytesThisSecond != 0) {
                    Line(site, ".Download speed: " + std::to_string(site.bytesThisSecond / 1024) +
                                   " kb/s " + Stamp());
                    site.bytesThisSecond = 0;
                }
                std::fflush(site.log);
                auto* check = new Check{&site};
                check->easy = curl_easy_init();
                curl_easy_setopt(check->easy, CURLOPT_URL, site.url.c_str());
                curl_easy_setopt(check->easy, CURLOPT_PRIVATE, check);
                curl_easy_setopt(check->easy, CURLOPT_HEADERFUNCTION, OnHeader);
                curl_easy_setopt(check->easy, CURLOPT_HEADERDATA, check);
                curl_easy_setopt(check->easy, CURLOPT_WRITEFUNCTION, OnBody);
                curl_easy_setopt(check->easy, CURLOPT_WRITEDATA, check);
                curl_easy_setopt(check->easy, CURLOPT_NOSIGNAL, 1L);
                curl_easy_setopt(check->easy, CURLOPT_FRESH_CONNECT, 1L);
                curl_easy_setopt(check->easy, CURLOPT_FORBID_REUSE, 1L);
                if (caFile != nullptr) curl_easy_setopt(check->easy, CURLOPT_CAINFO, caFile);
                Line(site, "Start monitor. " + Stamp());
                Line(site, "Finding Resouce.127.0.0.1");
                Line(site, "Connecting 127.0.0.1");
                curl_multi_add_handle(multi, check->easy);
            }
        }
        curl_multi_perform(multi, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            Check* check = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &check);
            Line(*check->site, "End download data " + check->site->url + "   " +
                                   std::to_string(check->bytes) + " of " +
                                   std::to_string(check->bytes) + " ");
            Line(*check->site, (check->answered ? "..Access successed! end of "
                                                : "! Failed! can't connectivy. end of ") +
                                   Stamp());
            curl_multi_remove_handle(multi, check->easy);
            curl_easy_cleanup(check->easy);
            delete check;
            ++checks;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            nextSecond - std::chrono::steady_clock::now());
        const long millis = std::chrono::steady_clock::now() < end ? wait.count() : 100;
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::max<long>(0, millis)), nullptr);
    }
    for (Site& site : sites) std::fclose(site.log);
    curl_multi_cleanup(multi);
    std::printf("checks %ld\n", checks);
    curl_global_cleanup();
    return 0;
}
