// The metrics endpoint: GET /metrics answers the board's latest snapshot in the Prometheus
// text format; every other request gets 404. It runs on threads of its own, bounded in
// connections and time, so a slow or hostile client costs the monitoring nothing: the
// monitoring only ever waits for the board's mutex, which a request holds while it copies a
// pointer.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "core/server/Metrics.h"

namespace wexfold {

struct MetricsAddress {
    std::string host = "127.0.0.1";
    int port = 0;  // 0: a free port the system chooses

    // "HOST:PORT" with IPv6 hosts in brackets.
    std::string Text() const;
};

// Reads "PORT", "HOST:PORT" or "[IPv6]:PORT"; without a host, 127.0.0.1. Returns the
// complaint when the text is none of these.
std::optional<std::string> ParseMetricsAddress(const std::string& text, MetricsAddress& address);

struct MetricsLimits {
    std::size_t threads = 2;  // requests answered at once
    std::size_t queued = 8;   // accepted connections waiting for a thread; beyond, none is accepted
    // Waiting for a request, reading it and writing the answer, each.
    std::chrono::seconds timeout{2};
};

class MetricsServer {
  public:
    explicit MetricsServer(const MetricsBoard& board, MetricsLimits limits = {});
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Listens on address and serves until Stop. Returns the reason when it cannot listen.
    std::optional<std::string> Start(const MetricsAddress& address);
    // The port listened on (the chosen one for port 0).
    int Port() const { return port_; }
    // Stops listening and waits for the requests being answered, each bounded by the limits.
    void Stop();

  private:
    struct Http;
    std::unique_ptr<Http> http_;
    int port_ = 0;
};

}  // namespace wexfold
