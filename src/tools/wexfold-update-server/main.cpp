// wexfold-update-server: the maker's side of the update check.
//
//   wexfold-update-server --root DIR [--port N] [--bind 127.0.0.1] [--delay SECONDS]
//       Answers GET /update.asp?user=&pass=&filename=NAME: NAME "update.txt" gets the update
//       list built from DIR's release store, a published file name gets that file, anything
//       else 404. --delay holds every answer that long, as a slow server would. Prints the
//       port it listens on as its first line (--port 0: any free port) and runs until
//       SIGTERM, SIGINT or the end of its standard input.
//   wexfold-update-server --publish DIR FILE...
//       Copies the files into DIR and adds one new group for them to the store.
//
// The store is DIR/releases.tsv, one line per published file, oldest first:
//   STAMP <TAB> RELEASE-TIME <TAB> SIZE <TAB> NAME
// STAMP is the group's release stamp in 16 hex digits, RELEASE-TIME seconds since 1970 UTC,
// SIZE the file's bytes. Consecutive lines with the same stamp form one group, its files in
// list order (the first is shown first).
#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/update/UpdateList.h"
#include "core/update/UpdateListFiles.h"

namespace fs = std::filesystem;
using namespace wexfold;

namespace {

constexpr const char* kStoreName = "releases.tsv";
constexpr std::size_t kMaxGroupFiles = 127;

int Fail(const std::string& message) {
    std::cerr << "wexfold-update-server: " << message << "\n";
    return 2;
}

// The groups of the store, oldest first; false when a line is malformed.
bool LoadStore(const fs::path& root, std::vector<UpdateGroup>& groups, std::string& error) {
    std::ifstream in(root / kStoreName);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream fields(line);
        std::string stamp, time, size, name;
        if (!std::getline(fields, stamp, '\t') || !std::getline(fields, time, '\t') ||
            !std::getline(fields, size, '\t') || !std::getline(fields, name) ||
            !IsPlainFileName(name)) {
            error = "line " + std::to_string(number) + " of the store is malformed";
            return false;
        }
        try {
            const std::uint64_t value = std::stoull(stamp, nullptr, 16);
            if (groups.empty() || groups.back().stamp != value) groups.push_back({{}, value});
            groups.back().entries.push_back(
                {name, std::stoll(time), static_cast<std::int32_t>(std::stol(size))});
        } catch (const std::exception&) {
            error = "line " + std::to_string(number) + " of the store has a bad number";
            return false;
        }
    }
    return true;
}

bool IsPublished(const std::vector<UpdateGroup>& groups, const std::string& name) {
    for (const UpdateGroup& group : groups) {
        for (const UpdateListEntry& entry : group.entries) {
            if (entry.name == name) return true;
        }
    }
    return false;
}

// A stamp no group of the store has, never 0 (the stamp a missing local list stands for).
std::uint64_t FreshStamp(const std::vector<UpdateGroup>& groups) {
    std::random_device device;
    for (;;) {
        const std::uint64_t stamp = (static_cast<std::uint64_t>(device()) << 32) | device();
        bool used = stamp == 0;
        for (const UpdateGroup& group : groups) used = used || group.stamp == stamp;
        if (!used) return stamp;
    }
}

int Publish(const fs::path& root, const std::vector<std::string>& files) {
    if (files.empty() || files.size() > kMaxGroupFiles) return Fail("publish 1 to 127 files");
    std::vector<UpdateGroup> groups;
    std::string error;
    if (!LoadStore(root, groups, error)) return Fail(error);
    UpdateGroup group{{}, FreshStamp(groups)};
    const std::int64_t now = std::time(nullptr);
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        std::error_code code;
        const auto size = fs::file_size(file, code);
        if (!IsPlainFileName(name) || name == kUpdateListName || name == kStoreName) {
            return Fail("cannot publish a file named '" + name + "'");
        }
        if (code || size > 0x7FFFFFFF) return Fail("cannot read " + file + " or it is too big");
        group.entries.push_back({name, now, static_cast<std::int32_t>(size)});
    }
    fs::create_directories(root);
    for (const std::string& file : files) {
        std::error_code code;
        const fs::path target = root / fs::path(file).filename();
        if (!fs::equivalent(file, target, code)) {
            fs::copy_file(file, target, fs::copy_options::overwrite_existing, code);
            if (code) return Fail("cannot copy " + file + ": " + code.message());
        }
    }
    std::ofstream out(root / kStoreName, std::ios::app);
    for (const UpdateListEntry& entry : group.entries) {
        char stamp[17];
        std::snprintf(stamp, sizeof stamp, "%016llx", static_cast<unsigned long long>(group.stamp));
        out << stamp << '\t' << entry.releaseTime << '\t' << entry.size << '\t' << entry.name
            << '\n';
    }
    out.close();
    return out ? 0 : Fail("cannot write the store");
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Answer(const fs::path& root, const httplib::Request& request, httplib::Response& response) {
    const std::string name = request.get_param_value("filename");
    std::vector<UpdateGroup> groups;
    std::string error;
    if (!LoadStore(root, groups, error)) {
        response.status = 500;
        return;
    }
    if (name == kUpdateListName) {
        response.set_content(WriteUpdateList(groups), "application/octet-stream");
    } else if (IsPlainFileName(name) && IsPublished(groups, name) &&
               fs::is_regular_file(root / name)) {
        response.set_content(ReadWhole(root / name), "application/octet-stream");
    } else {
        response.status = 404;
    }
}

// Waits for SIGINT, SIGTERM or the end of standard input.
void WaitForStop(const sigset_t& signals) {
    std::mutex mutex;
    std::condition_variable stopped;
    bool stop = false;
    const auto request = [&] {
        std::lock_guard lock(mutex);
        stop = true;
        stopped.notify_all();
    };
    std::thread([&signals, request] {
        int signal = 0;
        sigwait(&signals, &signal);
        request();
    }).detach();
    std::thread([request] {
        char buffer[256];
        while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
        }
        request();
    }).detach();
    std::unique_lock lock(mutex);
    stopped.wait(lock, [&] { return stop; });
}

std::atomic<bool> stopping{false};

// Holds an answer for the delay, and no longer once the server stops.
void Hold(int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!stopping && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int Serve(const fs::path& root, int port, const std::string& bind, int delay) {
    // Blocked here so that every thread leaves them to the waiting one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    httplib::Server server;
    server.Get("/update.asp",
               [&root, delay](const httplib::Request& request, httplib::Response& response) {
                   Hold(delay);
                   Answer(root, request, response);
               });
    if (port == 0) {
        port = server.bind_to_any_port(bind);
    } else if (!server.bind_to_port(bind, port)) {
        port = -1;
    }
    if (port <= 0) return Fail("cannot listen on " + bind);
    std::cout << port << std::endl;
    std::thread listener([&server] { server.listen_after_bind(); });
    WaitForStop(signals);
    stopping = true;
    server.stop();
    listener.join();
    // The helper threads may still wait on stdin or a signal; leave without unwinding them.
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--publish") {
        return Publish(args[1], {args.begin() + 2, args.end()});
    }
    fs::path root;
    int port = 0;
    int delay = 0;
    std::string bind = "127.0.0.1";
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--root") {
            root = args[i + 1];
        } else if (args[i] == "--port") {
            port = std::atoi(args[i + 1].c_str());
        } else if (args[i] == "--bind") {
            bind = args[i + 1];
        } else if (args[i] == "--delay") {
            delay = std::atoi(args[i + 1].c_str());
        } else {
            return Fail("unknown option " + args[i]);
        }
    }
    if (root.empty() || args.size() % 2 != 0 || port < 0 || port > 65535 || delay < 0 ||
        delay > 3600) {
        return Fail(
            "usage: --root DIR [--port N] [--bind ADDRESS] [--delay SECONDS] | --publish DIR "
            "FILE...");
    }
    return Serve(root, port, bind, delay);
}
