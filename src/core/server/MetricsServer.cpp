#include "core/server/MetricsServer.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wexfold {

namespace {

// The server's threads. A connection waits in a queue of bounded length for a free thread;
// while the queue is full the server accepts no more, so the kernel's small backlog holds the
// rest and no number of clients can use up the process's file descriptors.
class BoundedPool final : public httplib::TaskQueue {
  public:
    BoundedPool(std::size_t threads, std::size_t queued) : queued_(queued) {
        for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
    }

    void enqueue(std::function<void()> job) override {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return jobs_.size() < queued_ || stopping_; });
        jobs_.push_back(std::move(job));
        work_.notify_one();
    }

    void shutdown() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        work_.notify_all();
        room_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

  private:
    void Work() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                work_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
                if (jobs_.empty()) return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            room_.notify_one();
            job();
        }
    }

    const std::size_t queued_;
    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable room_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace

struct MetricsServer::Http {
    httplib::Server server;
    std::thread listener;
    std::atomic<bool> ended{false};
};

std::string MetricsAddress::Text() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<std::string> ParseMetricsAddress(const std::string& text, MetricsAddress& address) {
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string port = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return "'" + text + "' is not ADDRESS:PORT (write an IPv6 address in brackets)";
    }
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535) {
        return "'" + text + "' is not ADDRESS:PORT (a port is 0 to 65535)";
    }
    address.host = host.empty() ? "127.0.0.1" : host;
    address.port = std::stoi(port);
    return std::nullopt;
}

MetricsServer::MetricsServer(const MetricsBoard& board, MetricsLimits limits)
    : http_(std::make_unique<Http>()) {
    httplib::Server& server = http_->server;
    server.new_task_queue = [limits] { return new BoundedPool(limits.threads, limits.queued); };
    const auto seconds = static_cast<time_t>(limits.timeout.count());
    server.set_keep_alive_timeout(seconds);
    server.set_read_timeout(seconds, 0);
    server.set_write_timeout(seconds, 0);
    // One request per connection: an idle connection never holds a thread between scrapes.
    server.set_keep_alive_max_count(1);
    server.set_payload_max_length(4096);
    // SO_REUSEADDR only: httplib's default SO_REUSEPORT would let a second copy listen on the
    // same port and answer every other scrape.
    server.set_socket_options([](socket_t socket) {
        const int on = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    });
    // Nothing but GET /metrics (and the HEAD httplib makes of it) is answered.
    server.set_pre_routing_handler([](const httplib::Request& request,
                                      httplib::Response& response) {
        if (request.path == "/metrics" && (request.method == "GET" || request.method == "HEAD")) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 404;
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/metrics", [&board](const httplib::Request&, httplib::Response& response) {
        const std::shared_ptr<const MetricsSnapshot> snapshot = board.Latest();
        response.set_content(RenderMetrics(*snapshot, ReadProcessFigures()),
                             "text/plain; version=0.0.4; charset=utf-8");
    });
}

MetricsServer::~MetricsServer() {
    Stop();
}

std::optional<std::string> MetricsServer::Start(const MetricsAddress& address) {
    httplib::Server& server = http_->server;
    errno = 0;
    port_ = address.port == 0
                ? server.bind_to_any_port(address.host)
                : (server.bind_to_port(address.host, address.port) ? address.port : -1);
    if (port_ <= 0) {
        const std::string reason = errno != 0 ? std::string(": ") + std::strerror(errno) : "";
        port_ = 0;
        return "the metrics cannot be served on " + address.Text() + reason;
    }
    http_->listener = std::thread([http = http_.get()] {
        http->server.listen_after_bind();
        http->ended = true;
    });
    // Stop must find the server running, or it would not end it.
    while (!server.is_running() && !http_->ended) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return std::nullopt;
}

void MetricsServer::Stop() {
    if (!http_->listener.joinable()) return;
    http_->server.stop();
    http_->listener.join();
}

}  // namespace wexfold
