// The program itself, headless with its metrics endpoint, on sites that answer, refuse and
// answer late: its figures scraped while it runs and checked by promtool; SIGTERM ends it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/server/SiteCommands.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

// Reads fd onto text until it holds wanted; false when fd ends or 30 s pass first.
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

#ifdef WEXFOLD_PROGRAM  // built with the desktop program only
TEST(MetricsRun, ServesTheFiguresOfARunningCopy) {
    TempFolder folder{true};
    const NginxServer http(folder.Path());  // its late page answers after 5 s
    const RefusingPort refusing;
    const std::string down = "127.0.0.1:" + std::to_string(refusing.Port());
    std::ofstream("pw") << "s3cret\n";
    const SystemClock clock;
    std::istringstream none;
    std::ostringstream said;
    for (const std::vector<std::string>& add :
         {std::vector<std::string>{"--add", "up\"1", http.Url("/page")},
          {"--add", "down", down},
          {"--add", "late", http.Url("/late"), "--user", "joe", "--password-file", "pw"}}) {
        ASSERT_EQ(RunSiteCommand(add, none, said, said, clock), 0) << said.str();
    }

    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    pid_t child =
        StartChild({WEXFOLD_PROGRAM, "--headless", "--metrics", "127.0.0.1:0"}, {}, output[1]);
    close(output[1]);
    ASSERT_GT(child, 0);
    const auto killer = [](pid_t* pid) {
        if (*pid > 0) KillChild(*pid);
    };
    const std::unique_ptr<pid_t, decltype(killer)> running(&child, killer);
    std::string printed;
    ASSERT_TRUE(ReadUntil(output[0], printed, "/metrics\n")) << printed;
    const int port = std::stoi(printed.substr(printed.find("http://127.0.0.1:") + 17));

    // Clients that connect and send nothing take every thread and queue place of the endpoint;
    // the late site answers while they wait, and its check ends all the same.
    std::vector<int> silent;
    for (int i = 0; i < 12; ++i) {
        silent.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        sockaddr_in endpoint{
            AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
        connect(silent.back(), reinterpret_cast<sockaddr*>(&endpoint), sizeof endpoint);
    }
    for (const char* ended :
         {"up\"1: ..Access successed!", "down: ! Failed!", "late: ..Access successed!"}) {
        ASSERT_TRUE(ReadUntil(output[0], printed, ended)) << printed;
    }
    for (const int fd : silent) close(fd);
    std::ostringstream refusal;
    EXPECT_EQ(RunSiteCommand({"--remove", "down"}, none, said, refusal, clock), kCommandRefused);
    EXPECT_EQ(refusal.str(), "wexfold: a copy of Wexfold runs on this folder (headless, process " +
                                 std::to_string(child) + "); stop it before changing its sites\n");

    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(30, 0);
    const auto scraped = client.Get("/metrics");
    ASSERT_TRUE(scraped);
    const std::string& body = scraped->body;
    // The value of a series (name and labels), NaN when the exposition has none.
    const auto sample = [&body](const std::string& series) {
        const std::size_t at = body.find("\n" + series + " ");
        return at == std::string::npos ? NAN : std::stod(body.substr(at + series.size() + 2));
    };
    const std::string up = "{site=\"up\\\"1\",url=\"" + http.Url("/page") + "\"}";
    const std::string gone = "{site=\"down\",url=\"http://" + down + "\"}";
    const std::string late =
        "{site=\"late\",url=\"http://joe@127.0.0.1:" + std::to_string(http.Port()) + "/late" + "\"";
    const std::pair<std::string, double> values[] = {
        {"wexfold_site_up" + up, 1},
        {"wexfold_site_up" + gone, 0},
        {"wexfold_site_up" + late + "}", 1},
        {"wexfold_site_last_check_bytes" + late + "}", std::strlen(kPageBody)},
        {"wexfold_site_interval_seconds" + up, 10},
        {"wexfold_sites", 3}};
    for (const auto& [series, value] : values)
        EXPECT_EQ(sample(series), value) << series << "\n" << body;
    EXPECT_GE(sample("wexfold_site_broken_links_total" + gone), 1);
    EXPECT_EQ(sample("wexfold_site_broken_links_total" + gone),
              sample("wexfold_site_checks_total" + gone));
    EXPECT_EQ(body.find("s3cret"), std::string::npos);
    const pid_t promtool = StartChild(
        {"/bin/sh", "-c", "printf %s \"$1\" | /usr/bin/promtool check metrics", "sh", body}, {},
        STDERR_FILENO);
    EXPECT_EQ(WaitChild(promtool, std::chrono::seconds(30)).status, 0);

    // SIGTERM ends the run with its totals.
    kill(child, SIGTERM);
    EXPECT_TRUE(ReadUntil(output[0], printed, " broken links\n")) << printed;
    EXPECT_EQ(WaitChild(std::exchange(child, -1), std::chrono::seconds(30)).status, 0);
    close(output[0]);
}
#endif

}  // namespace
}  // namespace wexfold::testing
