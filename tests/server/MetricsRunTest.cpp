// The program itself, headless with its metrics endpoint, on three sites: one answers at once,
// one refuses, one answers when the test lets it. Its figures are scraped while it runs and
// checked by promtool; it tells a stand-in for systemd when it is ready and when it stops.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cmath>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/server/SiteCommands.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/RawSocketServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

// Reads fd (a pipe, or a datagram socket one message at a time) onto text until it holds
// wanted; false when fd ends or 30 s pass first.
bool ReadUntil(int fd, std::string& text, const std::string& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[4096];
    while (text.find(wanted) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) return false;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// The value of the series (name and labels), NaN when the exposition has none.
double Sample(const std::string& body, const std::string& series) {
    const std::size_t at = body.find("\n" + series + " ");
    return at == std::string::npos ? NAN : std::stod(body.substr(at + series.size() + 2));
}

int ConnectSilently(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    return fd;
}

TEST(MetricsRun, ServesTheFiguresOfARunningCopy) {
#ifndef WEXFOLD_PROGRAM
    GTEST_SKIP() << "the wexfold program is built only with the Qt app";
#else
    TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    std::mutex mutex;
    std::condition_variable letGo;
    bool answerLate = false;
    httplib::Server sites;
    sites.Get("/up", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("up", "text/plain");
    });
    sites.Get("/late", [&](const httplib::Request&, httplib::Response& response) {
        std::unique_lock lock(mutex);
        letGo.wait_for(lock, std::chrono::seconds(30), [&] { return answerLate; });
        response.set_content("late", "text/plain");
    });
    const std::string web = "127.0.0.1:" + std::to_string(sites.bind_to_any_port("127.0.0.1"));
    std::thread serving([&sites] { sites.listen_after_bind(); });
    const RefusingPort refusing;
    std::ofstream("pw") << "s3cret\n";
    const SystemClock clock;
    std::istringstream none;
    std::ostringstream said;
    for (const std::vector<std::string>& add :
         {std::vector<std::string>{"--add", "up\"1", web + "/up"},
          {"--add", "down", "127.0.0.1:" + std::to_string(refusing.Port())},
          {"--add", "late", web + "/late", "--user", "joe", "--password-file", "pw"}}) {
        ASSERT_EQ(RunSiteCommand(add, none, said, said, clock), 0) << said.str();
    }

    // systemd's notification socket, and the program's output.
    const std::string notifyPath = (folder.Path() / "notify").string();
    const int notify = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    notifyPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    setenv("NOTIFY_SOCKET", notifyPath.c_str(), 1);
    const std::time_t started = std::time(nullptr);
    const pid_t child = StartChild({WEXFOLD_PROGRAM, "--headless", "--metrics", "127.0.0.1:0"},
                                   folder.Path(), output[1]);
    unsetenv("NOTIFY_SOCKET");
    close(output[1]);
    ASSERT_GT(child, 0);
    std::string printed;
    std::string told;
    ASSERT_TRUE(ReadUntil(output[0], printed, "/metrics\n")) << printed;
    const int port = std::stoi(printed.substr(printed.find("http://127.0.0.1:") + 17));
    ASSERT_TRUE(ReadUntil(notify, told, "READY=1")) << told;

    // Clients that connect and send nothing hold every thread and queue place of the endpoint;
    // the late site answers only now, and its check ends all the same.
    std::vector<int> silent;
    for (int i = 0; i < 12; ++i) silent.push_back(ConnectSilently(port));
    {
        std::lock_guard lock(mutex);
        answerLate = true;
    }
    letGo.notify_all();
    for (const char* ended :
         {"up\"1: ..Access successed!", "down: ! Failed!", "late: ..Access successed!"}) {
        ASSERT_TRUE(ReadUntil(output[0], printed, ended)) << printed;
    }
    for (const int fd : silent) close(fd);

    // The list cannot change under the running copy.
    std::ostringstream refusal;
    EXPECT_EQ(RunSiteCommand({"--remove", "down"}, none, said, refusal, clock), kCommandRefused);
    EXPECT_NE(refusal.str().find("(headless, process " + std::to_string(child) + ")"),
              std::string::npos)
        << refusal.str();

    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(30, 0);
    client.set_read_timeout(30, 0);
    const auto scraped = client.Get("/metrics");
    ASSERT_TRUE(scraped);
    EXPECT_EQ(scraped->status, 200);
    EXPECT_EQ(scraped->get_header_value("Content-Type"),
              "text/plain; version=0.0.4; charset=utf-8");
    const std::string& body = scraped->body;
    const std::string up = "{site=\"up\\\"1\",url=\"http://" + web + "/up\"}";
    const std::string down =
        "{site=\"down\",url=\"http://127.0.0.1:" + std::to_string(refusing.Port()) + "\"}";
    const std::string slow = "{site=\"late\",url=\"http://joe@" + web + "/late\"";
    EXPECT_EQ(Sample(body, "wexfold_site_up" + up), 1) << body;
    EXPECT_EQ(Sample(body, "wexfold_site_up" + down), 0);
    EXPECT_EQ(Sample(body, "wexfold_site_up" + slow + "}"), 1);
    EXPECT_GE(Sample(body, "wexfold_site_broken_links_total" + down), 1);
    EXPECT_EQ(Sample(body, "wexfold_site_broken_links_total" + down),
              Sample(body, "wexfold_site_checks_total" + down));
    EXPECT_EQ(Sample(body, "wexfold_site_broken_links_total" + up), 0);
    EXPECT_EQ(Sample(body, "wexfold_site_last_check_bytes" + slow + "}"), 4);
    EXPECT_EQ(Sample(body, "wexfold_site_interval_seconds" + up), 10);
    const double ended = Sample(body, "wexfold_site_last_check_timestamp_seconds" + up);
    EXPECT_GE(ended, static_cast<double>(started));
    EXPECT_LE(ended, static_cast<double>(std::time(nullptr)));
    // libcurl's stages, each measured from the start of the check; plain http has no TLS.
    double previousStage = 0;
    for (const char* stage : {"name_lookup", "connect", "first_byte", "total"}) {
        const double seconds =
            Sample(body, "wexfold_site_last_check_seconds" + slow + ",stage=\"" + stage + "\"}");
        EXPECT_GE(seconds, previousStage) << stage;
        previousStage = seconds;
    }
    EXPECT_TRUE(
        std::isnan(Sample(body, "wexfold_site_last_check_seconds" + slow + ",stage=\"tls\"}")));
    EXPECT_EQ(Sample(body, "wexfold_sites"), 3);
    EXPECT_GT(Sample(body, "wexfold_threads"), 1);
    EXPECT_GT(Sample(body, "process_resident_memory_bytes"), 1e6);
    EXPECT_EQ(body.find("s3cret"), std::string::npos);
    EXPECT_EQ(client.Get("/")->status, 404);
    EXPECT_EQ(client.Post("/metrics")->status, 404);
    std::ofstream("scraped") << body;
    const int scrapedFd = open("scraped", O_RDONLY | O_CLOEXEC);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    EXPECT_EQ(WaitChild(StartChild({"/usr/bin/promtool", "check", "metrics"}, {}, quiet, scrapedFd),
                        std::chrono::seconds(30))
                  .status,
              0);
    close(scrapedFd);
    close(quiet);

    kill(child, SIGTERM);
    EXPECT_TRUE(ReadUntil(output[0], printed, " broken links\n")) << printed;
    EXPECT_EQ(WaitChild(child, std::chrono::seconds(30)).status, 0);
    EXPECT_TRUE(ReadUntil(notify, told, "STOPPING=1")) << told;
    EXPECT_NE(told.find("STATUS=3 sites: 2 up, 1 down, 0 not checked yet, 0 stopped"),
              std::string::npos)
        << told;
    close(output[0]);
    close(notify);
    sites.stop();
    serving.join();
    std::filesystem::current_path(previous);
#endif
}

}  // namespace
}  // namespace wexfold::testing
