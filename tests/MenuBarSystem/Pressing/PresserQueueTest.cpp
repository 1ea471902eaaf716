#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/PressLog.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

using namespace pellacor;
using namespace pellacor::system;
using concurrency::ManualExecutor;
using concurrency::Task;

namespace {

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

// Three calls in a row, each noting where it ran and when, in the order they finished.
Task<std::vector<std::string>> threeCalls(std::shared_ptr<std::vector<int>> order) {
    std::vector<std::string> threads;
    for (int i = 0; i < 3; ++i) {
        auto work = [order, i] {
            order->push_back(i);
            return currentThreadName();
        };
        auto thread = co_await ItemPresser::offMain(std::move(work));
        threads.push_back(thread);
    }
    co_return threads;
}

TEST(PresserQueueTest, BlockingCallsRunOneByOneOnThePressersOwnQueue) {
    EXPECT_EQ(ItemPresser::queue().label(), "app.trayvane.pellacor.item-presser");
    EXPECT_EQ(&ItemPresser::queue(), &ItemPresser::queue()) << "one queue for the process";

    ManualExecutor executor;
    auto order = std::make_shared<std::vector<int>>();
    auto handle = concurrency::spawn(executor, threeCalls(order));
    ASSERT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
    const std::string queueThread = concurrency::SerialQueue::threadName(ItemPresser::queue().label());
    EXPECT_EQ(queueThread, "or.item-presser");
    EXPECT_EQ(*handle.result(), (std::vector<std::string>{queueThread, queueThread, queueThread}));
    EXPECT_EQ(*order, (std::vector<int>{0, 1, 2}));
    EXPECT_NE(currentThreadName(), queueThread);
}

TEST(PresserQueueTest, ThePressLogWritesUnderTheBundleIdentifierInCategoryPress) {
    pellacor::testing::LogCapture capture;
    PressLog::press().notice("押せませんでした（{}・AX {}）", "com.example.a", -25200);
    const auto records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].subsystem, "app.trayvane.pellacor");
    EXPECT_EQ(records[0].category, "press");
    EXPECT_EQ(records[0].message, "押せませんでした（com.example.a・AX -25200）");
}

} // namespace
