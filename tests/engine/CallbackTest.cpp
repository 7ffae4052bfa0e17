// The hand-over between threads and the update downloads' status callback.
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

TEST(SyncHandoverTest, CloseReleasesSendersAndDropsPostedTasksUnrun) {
    SyncHandover handover;
    std::atomic<int> ran{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i) {
        workers.emplace_back([&] {
            if (!handover.Send([&] { ++ran; })) ++refused;
        });
    }
    EXPECT_TRUE(handover.Post([&] { ++ran; }));
    while (refused.load() + ran.load() < 3) {
        handover.Close();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& worker : workers) worker.join();
    handover.Drain();
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(refused.load(), 3);
    EXPECT_FALSE(handover.Send([&] { ++ran; }));
    EXPECT_FALSE(handover.Post([&] { ++ran; }));
    EXPECT_EQ(ran.load(), 0);
}

TEST(SyncHandoverTest, PostedAndSentTasksRunInOrderWithOneWakePerBatch) {
    std::atomic<int> wakes{0};
    SyncHandover handover([&] { ++wakes; });
    std::vector<int> order;
    // Posts waiting together cost one wake; the send after them at most one more.
    handover.Post([&] { order.push_back(1); });
    handover.Post([&] { order.push_back(2); });
    EXPECT_EQ(wakes.load(), 1);
    std::thread worker([&] { handover.Send([&] { order.push_back(3); }); });
    EventLoop loop(handover);
    loop.Run(std::chrono::seconds(5), [&] { return order.size() == 3; });
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_LE(wakes.load(), 2);
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

TEST_F(CallbackTest, StoppedModeOrClosedHandoverAborts) {
    callback.mode = MONITOR_STOPPED;
    EXPECT_FALSE(callback.OnProgress(kReport));
    EXPECT_TRUE(callback.StopRequested());
    callback.mode = MONITOR_IDLE;
    handover->Close();
    EXPECT_FALSE(callback.OnProgress(kReport));
    EXPECT_TRUE(callback.StopRequested());
    EXPECT_TRUE(delivered.empty());
}

}  // namespace
}  // namespace wexfold
