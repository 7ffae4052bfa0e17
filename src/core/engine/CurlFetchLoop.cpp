#include "core/engine/CurlFetchLoop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/engine/CurlAddress.h"
#include "core/engine/CurlTransfer.h"

namespace wexfold {

// What the loop's thread shares with the UI thread.
struct CurlFetchLoop::State {
    explicit State(CurlLimits limits) : limits(std::move(limits)) {}
    ~State() {
        if (multi != nullptr) curl_multi_cleanup(multi);
        if (epoll >= 0) ::close(epoll);
        if (wakeFd >= 0) ::close(wakeFd);
    }

    void Wake() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
    }

    const CurlLimits limits;
    CURLM* multi = nullptr;
    int epoll = -1;
    int wakeFd = -1;
    std::string error;  // why the loop could not be set up; every check then fails as a call

    std::mutex mutex;
    std::vector<std::shared_ptr<SiteCheck>> inbox;
    bool stopsDue = false;
    bool quit = false;
    bool ended = false;
    std::condition_variable endedSignal;
    std::atomic<int> running{0};
};

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kEventsPerWait = 64;
// Reports wait this long at most before the UI thread is woken for them, so that a burst of
// checks costs it a few wakes rather than one a report.
constexpr auto kWakePeriod = std::chrono::milliseconds(50);
// More addresses than sites: the parsed ones are forgotten and parsed again as they come.
constexpr std::size_t kParsedAddresses = 1024;

FetchOutcome CallFailed(std::string error) {
    FetchOutcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

FetchOutcome Aborted() {
    FetchOutcome outcome;
    outcome.result = FetchResult::kFinished;
    outcome.error = "aborted";
    return outcome;
}

struct Transfer {
    Transfer(std::shared_ptr<SiteCheck> check, const CurlLimits& limits)
        : check(std::move(check)), transfer(address, limits, *this->check, nullptr) {}

    std::shared_ptr<SiteCheck> check;
    CurlAddress address;
    CurlTransfer transfer;
};

// The loop itself, run on its own thread until told to quit.
class Loop {
  public:
    explicit Loop(CurlFetchLoop::State& state) : state_(state) {
        curl_multi_setopt(state_.multi, CURLMOPT_SOCKETFUNCTION, &Loop::OnSocket);
        curl_multi_setopt(state_.multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(state_.multi, CURLMOPT_TIMERFUNCTION, &Loop::OnTimer);
        curl_multi_setopt(state_.multi, CURLMOPT_TIMERDATA, this);
    }

    void Run() {
        CheckQueue::HoldWakes();
        epoll_event events[kEventsPerWait];
        while (true) {
            const int count = ::epoll_wait(state_.epoll, events, kEventsPerWait, WaitMillis());
            bool woken = false;
            int still = 0;
            for (int i = 0; i < count; ++i) {
                const int fd = events[i].data.fd;
                if (fd == state_.wakeFd) {
                    std::uint64_t value = 0;
                    [[maybe_unused]] const auto got = ::read(fd, &value, sizeof value);
                    woken = true;
                    continue;
                }
                curl_multi_socket_action(state_.multi, fd, Selected(events[i].events), &still);
            }
            if (timer_ && Clock::now() >= *timer_) {
                timer_.reset();
                curl_multi_socket_action(state_.multi, CURL_SOCKET_TIMEOUT, 0, &still);
            }
            if (woken && TakeInbox()) break;
            EndFinished();
            if (CheckQueue::WakesHeld() && Clock::now() >= nextWake_) {
                CheckQueue::FlushWakes();
                nextWake_ = Clock::now() + kWakePeriod;
            }
        }
        while (!transfers_.empty()) Abort(transfers_.begin()->first);
        CheckQueue::FlushWakes();
    }

  private:
    static int Selected(std::uint32_t events) {
        int selected = 0;
        if ((events & EPOLLIN) != 0) selected |= CURL_CSELECT_IN;
        if ((events & EPOLLOUT) != 0) selected |= CURL_CSELECT_OUT;
        if ((events & (EPOLLERR | EPOLLHUP)) != 0) selected |= CURL_CSELECT_ERR;
        return selected;
    }

    int WaitMillis() const {
        std::optional<Clock::time_point> until = timer_;
        if (CheckQueue::WakesHeld() && (!until || nextWake_ < *until)) until = nextWake_;
        if (!until) return -1;
        const auto left = *until - Clock::now();
        if (left <= Clock::duration::zero()) return 0;
        return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }

    static int OnSocket(CURL*, curl_socket_t fd, int what, void* self, void* known) {
        auto& loop = *static_cast<Loop*>(self);
        if (what == CURL_POLL_REMOVE) {
            ::epoll_ctl(loop.state_.epoll, EPOLL_CTL_DEL, fd, nullptr);
            return 0;
        }
        epoll_event event{};
        event.data.fd = fd;
        event.events = ((what & CURL_POLL_IN) != 0 ? EPOLLIN : 0u) |
                       ((what & CURL_POLL_OUT) != 0 ? EPOLLOUT : 0u);
        if (known != nullptr) {
            ::epoll_ctl(loop.state_.epoll, EPOLL_CTL_MOD, fd, &event);
        } else if (::epoll_ctl(loop.state_.epoll, EPOLL_CTL_ADD, fd, &event) == 0) {
            curl_multi_assign(loop.state_.multi, fd, &loop);
        }
        return 0;
    }

    static int OnTimer(CURLM*, long millis, void* self) {
        auto& loop = *static_cast<Loop*>(self);
        if (millis < 0) {
            loop.timer_.reset();
        } else {
            loop.timer_ = Clock::now() + std::chrono::milliseconds(millis);
        }
        return 0;
    }

    // Takes the checks started since the last look and ends the stopped ones; true when the
    // loop is to quit.
    bool TakeInbox() {
        std::vector<std::shared_ptr<SiteCheck>> fresh;
        bool stops = false;
        bool quit = false;
        {
            std::lock_guard lock(state_.mutex);
            fresh.swap(state_.inbox);
            stops = state_.stopsDue;
            state_.stopsDue = false;
            quit = state_.quit;
        }
        if (quit) {
            for (auto& check : fresh) {
                check->Finish(Aborted());
                --state_.running;
            }
            return true;
        }
        for (auto& check : fresh) Add(std::move(check));
        if (stops) {
            std::vector<CURL*> stopped;
            for (const auto& [easy, transfer] : transfers_) {
                if (transfer->check->StopRequested()) stopped.push_back(easy);
            }
            for (CURL* easy : stopped) Abort(easy);
        }
        return false;
    }

    // A site's address is parsed at its first check; the later ones take the result.
    bool Parse(const std::string& url, CurlAddress& address, std::string& error) {
        const auto found = parsed_.find(url);
        if (found != parsed_.end()) {
            address = found->second;
            return true;
        }
        if (!ParseFetchAddress(url, address, error)) return false;
        if (parsed_.size() >= kParsedAddresses) parsed_.clear();
        parsed_.emplace(url, address);
        return true;
    }

    void Add(std::shared_ptr<SiteCheck> check) {
        auto transfer = std::make_unique<Transfer>(std::move(check), state_.limits);
        std::string error;
        if (!Parse(transfer->check->url, transfer->address, error)) {
            Finish(*transfer, CallFailed(error));
        } else if (!transfer->transfer.Setup(transfer->check->user, transfer->check->password,
                                             false)) {
            Finish(*transfer, CallFailed("out of memory"));
        } else if (!transfer->transfer.ReportFindingResource()) {
            Finish(*transfer, transfer->transfer.End(CURLE_ABORTED_BY_CALLBACK));
        } else if (curl_multi_add_handle(state_.multi, transfer->transfer.Handle()) != CURLM_OK) {
            Finish(*transfer, CallFailed("out of memory"));
        } else {
            CURL* easy = transfer->transfer.Handle();
            transfers_.emplace(easy, std::move(transfer));
        }
    }

    void EndFinished() {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(state_.multi, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            CURL* easy = message->easy_handle;
            const CURLcode code = message->data.result;
            End(easy, code);
        }
    }

    void Abort(CURL* easy) {
        transfers_.at(easy)->transfer.Abort();
        End(easy, CURLE_ABORTED_BY_CALLBACK);
    }

    void End(CURL* easy, CURLcode code) {
        const auto found = transfers_.find(easy);
        if (found == transfers_.end()) return;
        const std::unique_ptr<Transfer> transfer = std::move(found->second);
        transfers_.erase(found);
        curl_multi_remove_handle(state_.multi, easy);
        Finish(*transfer, transfer->transfer.End(code));
    }

    void Finish(Transfer& transfer, FetchOutcome outcome) {
        transfer.check->Finish(std::move(outcome));
        --state_.running;
    }

    CurlFetchLoop::State& state_;
    std::optional<Clock::time_point> timer_;
    Clock::time_point nextWake_{};
    std::unordered_map<CURL*, std::unique_ptr<Transfer>> transfers_;
    std::unordered_map<std::string, CurlAddress> parsed_;
};

void RunLoop(std::shared_ptr<CurlFetchLoop::State> state) {
    Loop(*state).Run();
    std::lock_guard lock(state->mutex);
    state->ended = true;
    state->endedSignal.notify_all();
}

}  // namespace

CurlFetchLoop::CurlFetchLoop(CurlLimits limits)
    : state_(std::make_shared<State>(std::move(limits))) {
    if (!InitCurl()) {
        state_->error = "libcurl could not be initialised";
        return;
    }
    state_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    state_->epoll = ::epoll_create1(EPOLL_CLOEXEC);
    state_->multi = curl_multi_init();
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = state_->wakeFd;
    if (state_->wakeFd < 0 || state_->epoll < 0 ||
        ::epoll_ctl(state_->epoll, EPOLL_CTL_ADD, state_->wakeFd, &event) != 0) {
        state_->error = std::string("cannot start the fetch loop: ") + std::strerror(errno);
        return;
    }
    if (state_->multi == nullptr) {
        state_->error = "cannot start the fetch loop: out of memory";
        return;
    }
    thread_ = std::thread(RunLoop, state_);
}

CurlFetchLoop::~CurlFetchLoop() {
    if (thread_.joinable()) Shutdown(std::chrono::seconds(1));
}

void CurlFetchLoop::Start(std::shared_ptr<SiteCheck> check) {
    ++state_->running;
    if (!thread_.joinable()) {
        check->Finish(
            CallFailed(state_->error.empty() ? "the fetch loop has ended" : state_->error));
        --state_->running;
        return;
    }
    bool first = false;
    {
        std::lock_guard lock(state_->mutex);
        first = state_->inbox.empty();
        state_->inbox.push_back(std::move(check));
    }
    if (first) state_->Wake();
}

void CurlFetchLoop::StopSeen() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopsDue = true;
    }
    if (state_->wakeFd >= 0) state_->Wake();
}

bool CurlFetchLoop::Shutdown(std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return state_->running.load() == 0;
    std::unique_lock lock(state_->mutex);
    state_->quit = true;
    state_->Wake();
    const bool ended = state_->endedSignal.wait_for(lock, limit, [&] { return state_->ended; });
    lock.unlock();
    // A loop that did not end in time is left to end by itself; it holds what it uses.
    if (ended) {
        thread_.join();
    } else {
        thread_.detach();
    }
    return ended && state_->running.load() == 0;
}

int CurlFetchLoop::Running() const {
    return state_->running.load();
}

}  // namespace wexfold
