// The synchronous hand-over between threads and the status callback's three modes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/engine/EventLoop.h"
#include "core/engine/SiteMonitor.h"

namespace wexfold {
namespace {

const ProgressReport kReport{1, 2, kStatusDownloading, "x"};

TEST(SyncHandoverTest, SendRunsOnTheUiThreadAndWaitsForIt) {
    SyncHandover handover;
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        int onStack = 5;
        EXPECT_TRUE(handover.Send([&] {
            ranOn = std::this_thread::get_id();
            onStack = 6;
        }));
        EXPECT_EQ(onStack, 6);
        returned = true;
    });
    EventLoop loop(handover);
    loop.Run(std::chrono::seconds(5), [&] { return returned.load(); });
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(SyncHandoverTest, CloseReleasesWaitingSendersUnrun) {
    SyncHandover handover;
    std::atomic<int> ran{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i) {
        workers.emplace_back([&] {
            if (!handover.Send([&] { ++ran; })) ++refused;
        });
    }
    while (refused.load() + ran.load() < 3) {
        handover.Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(refused.load(), 3);
    EXPECT_FALSE(handover.Send([&] { ++ran; }));
    EXPECT_EQ(ran.load(), 0);
}

class CallbackTest : public ::testing::Test {
protected:
    CallbackTest() : handover(std::make_shared<SyncHandover>()) {
        callback.handover = handover;
        callback.deliver = [this](const ProgressReport* report) {
            delivered.push_back(report ? report->statusCode : 0);
        };
    }

    std::shared_ptr<SyncHandover> handover;
    urlCallback callback;
    std::vector<std::uint32_t> delivered;
};

TEST_F(CallbackTest, SiteModeForwardsUntilStopped) {
    callback.mode = MONITOR_RUNNING;
    EXPECT_TRUE(callback.OnProgress(kReport));
    EXPECT_FALSE(callback.StopRequested());
    callback.mode = MONITOR_STOPPED;
    EXPECT_FALSE(callback.OnProgress(kReport));
    EXPECT_TRUE(callback.StopRequested());
    EXPECT_EQ(delivered, std::vector<std::uint32_t>{kStatusDownloading});
}

TEST_F(CallbackTest, UpdateModeAbortsOnlyOnItsCancelEvent) {
    EXPECT_TRUE(callback.OnProgress(kReport));
    EXPECT_FALSE(callback.StopRequested());
    callback.cancelEvent = std::make_shared<std::atomic<bool>>(false);
    EXPECT_TRUE(callback.OnProgress(kReport));
    *callback.cancelEvent = true;
    EXPECT_TRUE(callback.StopRequested());
    EXPECT_FALSE(callback.OnProgress(kReport));
    // The cancel is announced after the report: a report, then the empty one.
    const std::vector<std::uint32_t> expected{kStatusDownloading, kStatusDownloading,
                                              kStatusDownloading, 0};
    EXPECT_EQ(delivered, expected);
}

TEST_F(CallbackTest, ClosedHandoverAbortsEveryMode) {
    callback.mode = MONITOR_RUNNING;
    handover->Close();
    EXPECT_FALSE(callback.OnProgress(kReport));
    EXPECT_TRUE(callback.StopRequested());
    callback.mode = MONITOR_IDLE;
    EXPECT_FALSE(callback.OnProgress(kReport));
    EXPECT_TRUE(delivered.empty());
}

}  // namespace
}  // namespace wexfold
