#include "platform/WorkerThread.h"

#include <QTest>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace velmoa;

namespace {

constexpr int kWaitMs = 10000;

// Blocks the task that waits on it until the test opens it.
struct Gate {
    std::promise<void> opened;
    std::shared_future<void> open = opened.get_future().share();
    void wait() const { open.wait(); }
};

} // namespace

TEST(WorkerThread, RunsTasksInTheOrderTheyWerePosted) {
    std::vector<int> ran;
    std::atomic<bool> done{false};
    {
        WorkerThread worker;
        for (int i = 0; i < 20; ++i) {
            worker.post([&ran, i] { ran.push_back(i); });
        }
        worker.post([&done] { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, kWaitMs));
    }
    std::vector<int> expected(20);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(ran, expected);
}

TEST(WorkerThread, ATaskThatThrowsIsReportedAndTheNextTasksStillRun) {
    const struct {
        const char* name;
        std::function<void()> task;
        const char* logged;
    } rows[] = {
        {"a standard exception", [] { throw std::runtime_error("no memory for the rows"); },
         "velmoa: a background task failed: no memory for the rows\n"},
        {"anything else", [] { throw 7; }, "velmoa: a background task failed\n"},
    };
    for (const auto& row : rows) {
        ::testing::internal::CaptureStderr();
        std::atomic<bool> after{false};
        {
            WorkerThread worker;
            worker.post(row.task);
            worker.post([&after] { after = true; });
            EXPECT_TRUE(QTest::qWaitFor([&] { return after.load(); }, kWaitMs)) << row.name;
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), row.logged) << row.name;
    }
}

TEST(WorkerThread, GoingAwayDropsTheQueuedTasksAndWaitsForTheRunningOne) {
    Gate gate;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> queuedRan{false};
    auto queuedCapture = std::make_shared<int>(0);
    const std::weak_ptr<int> queuedAlive = queuedCapture;

    auto worker = std::make_unique<WorkerThread>();
    worker->post([&] {
        started = true;
        gate.wait();
        finished = true;
    });
    worker->post([&queuedRan, capture = std::move(queuedCapture)] { queuedRan = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, kWaitMs));

    std::thread destroying([&worker] { worker.reset(); });
    // The queued task is dropped (its capture freed) while the running one still holds the thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return queuedAlive.expired(); }, kWaitMs));
    EXPECT_FALSE(finished);
    gate.opened.set_value();
    destroying.join();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(queuedRan);
}
