// The program itself, headless with its metrics endpoint, on three sites: one answers at once,
// one refuses, one answers when the test lets it. It runs as under systemd: a stand-in for the
// notification socket, and its output taken for the journal's stream. Its figures are scraped
// while it runs and checked by promtool; SIGTERM runs its exit.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
#include <utility>

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

// The sites' server: /up answers at once, /late once Release is called.
class SiteServer {
  public:
    SiteServer() {
        server_.Get("/up", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("up", "text/plain");
        });
        server_.Get("/late", [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(mutex_);
            letGo_.wait_for(lock, std::chrono::seconds(30), [this] { return released_; });
            response.set_content("late", "text/plain");
        });
        address = "127.0.0.1:" + std::to_string(server_.bind_to_any_port("127.0.0.1"));
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~SiteServer() {
        Release();
        server_.stop();
        thread_.join();
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        letGo_.notify_all();
    }

    std::string address;

  private:
    httplib::Server server_;
    std::mutex mutex_;
    std::condition_variable letGo_;
    bool released_ = false;
    std::thread thread_;
};

TEST(MetricsRun, ServesTheFiguresOfARunningCopy) {
#ifndef WEXFOLD_PROGRAM
    GTEST_SKIP() << "the wexfold program is built only with the Qt app";
#else
    TempFolder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    SiteServer sites;
    const RefusingPort refusing;
    const std::string down = "127.0.0.1:" + std::to_string(refusing.Port());
    std::ofstream("pw") << "s3cret\n";
    const SystemClock clock;
    std::istringstream none;
    std::ostringstream said;
    for (const std::vector<std::string>& add :
         {std::vector<std::string>{"--add", "up\"1", sites.address + "/up"},
          {"--add", "down", down},
          {"--add", "late", sites.address + "/late", "--user", "joe", "--password-file", "pw"}}) {
        ASSERT_EQ(RunSiteCommand(add, none, said, said, clock), 0) << said.str();
    }
    // autoCheck off, last update 0x0B0A1A: its 0x0A is stored as CR LF, and its 0x1A is the
    // byte that old readers took for the end of the file.
    const std::string update("\x00\0\0\0\x1A\x0D\x0A\x0B\0\0\0\0\0", 13);
    std::ofstream("update.date", std::ios::binary) << update;

    const int notify = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    (folder.Path() / "notify").string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(notify, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int output[2];
    ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
    struct stat stream {};
    fstat(output[1], &stream);
    setenv("NOTIFY_SOCKET", address.sun_path, 1);
    setenv("JOURNAL_STREAM",
           (std::to_string(stream.st_dev) + ":" + std::to_string(stream.st_ino)).c_str(), 1);
    const std::time_t started = std::time(nullptr);
    pid_t child = StartChild({WEXFOLD_PROGRAM, "--headless", "--metrics", "127.0.0.1:0"},
                             folder.Path(), output[1]);
    unsetenv("NOTIFY_SOCKET");
    unsetenv("JOURNAL_STREAM");
    close(output[1]);
    ASSERT_GT(child, 0);
    const auto killer = [](pid_t* pid) {
        if (*pid > 0) KillChild(*pid);
    };
    const std::unique_ptr<pid_t, decltype(killer)> running(&child, killer);
    std::string printed;
    std::string told;
    ASSERT_TRUE(ReadUntil(output[0], printed, "/metrics\n")) << printed;
    const int port = std::stoi(printed.substr(printed.find("http://127.0.0.1:") + 17));
    ASSERT_TRUE(ReadUntil(notify, told, "READY=1")) << told;

    // Clients that connect and send nothing take every thread and queue place of the endpoint;
    // the late site answers only now, and its check ends all the same.
    std::vector<int> silent;
    for (int i = 0; i < 12; ++i) {
        silent.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        sockaddr_in endpoint{
            AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
        connect(silent.back(), reinterpret_cast<sockaddr*>(&endpoint), sizeof endpoint);
    }
    sites.Release();
    // Each line carries its priority for the journal: broken links are warnings.
    for (const char* ended : {"<6>up\"1: ..Access successed!", "<4>down: ! Failed!",
                              "<6>late: ..Access successed!", "<7>late: Connecting"}) {
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
    EXPECT_EQ(scraped->get_header_value("Content-Type"),
              "text/plain; version=0.0.4; charset=utf-8");
    const std::string& body = scraped->body;
    const std::string up = "{site=\"up\\\"1\",url=\"http://" + sites.address + "/up\"}";
    const std::string gone = "{site=\"down\",url=\"http://" + down + "\"}";
    const std::string late = "{site=\"late\",url=\"http://joe@" + sites.address + "/late\"";
    EXPECT_EQ(Sample(body, "wexfold_site_up" + up), 1) << body;
    EXPECT_EQ(Sample(body, "wexfold_site_up" + gone), 0);
    EXPECT_EQ(Sample(body, "wexfold_site_up" + late + "}"), 1);
    EXPECT_GE(Sample(body, "wexfold_site_broken_links_total" + gone), 1);
    EXPECT_EQ(Sample(body, "wexfold_site_broken_links_total" + gone),
              Sample(body, "wexfold_site_checks_total" + gone));
    EXPECT_EQ(Sample(body, "wexfold_site_broken_links_total" + up), 0);
    EXPECT_EQ(Sample(body, "wexfold_site_last_check_bytes" + late + "}"), 4);
    EXPECT_EQ(Sample(body, "wexfold_site_interval_seconds" + up), 10);
    const double ended = Sample(body, "wexfold_site_last_check_timestamp_seconds" + up);
    EXPECT_GE(ended, static_cast<double>(started));
    EXPECT_LE(ended, static_cast<double>(std::time(nullptr)));
    // libcurl's stages, each timed from the start of the check; plain http has no TLS stage.
    double stageBefore = 0;
    for (const char* stage : {"name_lookup", "connect", "first_byte", "total"}) {
        const double seconds =
            Sample(body, "wexfold_site_last_check_seconds" + late + ",stage=\"" + stage + "\"}");
        EXPECT_GE(seconds, stageBefore) << stage;
        stageBefore = seconds;
    }
    EXPECT_TRUE(
        std::isnan(Sample(body, "wexfold_site_last_check_seconds" + late + ",stage=\"tls\"}")));
    EXPECT_EQ(Sample(body, "wexfold_sites"), 3);
    EXPECT_GT(Sample(body, "wexfold_threads"), 1);
    EXPECT_GT(Sample(body, "process_resident_memory_bytes"), 1e6);
    EXPECT_EQ(body.find("s3cret"), std::string::npos);
    EXPECT_EQ(client.Get("/")->status, 404);
    EXPECT_EQ(client.Post("/metrics")->status, 404);
    std::ofstream("scraped") << body;
    const int scrapedFd = open("scraped", O_RDONLY | O_CLOEXEC);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t promtool =
        StartChild({"/usr/bin/promtool", "check", "metrics"}, {}, quiet, scrapedFd);
    EXPECT_EQ(WaitChild(promtool, std::chrono::seconds(30)).status, 0);
    close(scrapedFd);
    close(quiet);

    // The exit: the totals, every site's exit line, the update record as it was found.
    kill(child, SIGTERM);
    EXPECT_TRUE(ReadUntil(output[0], printed, " broken links\n")) << printed;
    EXPECT_EQ(WaitChild(std::exchange(child, -1), std::chrono::seconds(30)).status, 0);
    EXPECT_TRUE(ReadUntil(notify, told, "STOPPING=1")) << told;
    EXPECT_NE(told.find("STATUS=3 sites: 2 up, 1 down, 0 not checked yet, 0 stopped"),
              std::string::npos)
        << told;
    for (const auto& day : std::filesystem::directory_iterator("log/late")) {
        EXPECT_NE(FileText(day.path()).find("\r\r\nExit program. "), std::string::npos);
    }
    EXPECT_EQ(FileText("update.date"), update);
    close(output[0]);
    close(notify);
    std::filesystem::current_path(previous);
#endif
}

}  // namespace
}  // namespace wexfold::testing
