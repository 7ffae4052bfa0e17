// The engine's fetcher on libcurl: one thread drives every check through a multi handle and
// waits on their sockets with epoll, so a running check costs its sockets and no thread.
#pragma once

#include <chrono>
#include <memory>
#include <thread>

#include "core/engine/CurlLimits.h"
#include "core/engine/SiteCheck.h"

namespace wexfold {

class CurlFetchLoop final : public SiteFetcher {
  public:
    explicit CurlFetchLoop(CurlLimits limits = {});
    // Ends the loop, waiting a moment for it, when Shutdown has not.
    ~CurlFetchLoop() override;
    CurlFetchLoop(const CurlFetchLoop&) = delete;
    CurlFetchLoop& operator=(const CurlFetchLoop&) = delete;

    void Start(std::shared_ptr<SiteCheck> check) override;
    void StopSeen() override;
    bool Shutdown(std::chrono::milliseconds limit) override;
    int Running() const override;

    struct State;

  private:
    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace wexfold
