#include "Concurrency/ManualExecutor.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Session/UserSwitch.h"
#include "MenuBarSystem/Watching/HoverSensor.h"
#include "Platform/Simulated/SimulatedLoginWindow.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"
#include "Support/ThreadNames.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;

namespace {

// The names of the process's threads, one entry per thread.
std::multiset<std::string> threadNames() {
    const auto names = pellacor::testing::threadNames();
    return {names.begin(), names.end()};
}

std::multiset<std::string> added(const std::multiset<std::string>& now,
                                 const std::multiset<std::string>& before) {
    std::multiset<std::string> result;
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(),
                        std::inserter(result, result.end()));
    return result;
}

// A joined thread may linger in the task list for a moment after the join.
bool settlesTo(const std::multiset<std::string>& expected) {
    for (int attempt = 0; attempt < 10000; ++attempt) {
        if (threadNames() == expected) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

TEST(ThreadsLeftBehindTest, AUserSwitchAndAHoverCheckRunOnTheirQueuesAndLeaveNoThreadBehind) {
    platform::SimulatedPlatform platform;
    auto loader = std::make_shared<platform::SimulatedRuntimeLoader>();
    auto loginWindow = platform::SimulatedLoginWindow::create();
    loginWindow->install(*loader);
    // A sanitizer's runtime starts a helper thread with the first thread of the
    // process; let it start before counting.
    std::thread([] {}).join();
    const auto before = threadNames();
    {
        concurrency::ManualExecutor executor;
        auto switchQueue = std::make_shared<concurrency::SerialQueue>(UserSwitch::queueLabel());
        auto hitQueue = std::make_shared<concurrency::SerialQueue>(HoverSensor::queueLabel());
        UserSwitch userSwitch(loader, switchQueue);
        const std::optional<core::Rect> control = core::Rect(1000, 0, 28, 24);
        auto sensor = HoverSensor::create([control] { return control; }, platform.services(), hitQueue);

        for (int round = 0; round < 3; ++round) {
            auto switched = concurrency::spawn(executor, userSwitch.switchToLoginWindow());
            auto checked = concurrency::spawn(executor, sensor->checkEmptySpace({900, 970}));
            ASSERT_TRUE(executor.runUntil([&] { return switched.isFinished() && checked.isFinished(); }));
            EXPECT_EQ(switched.result(), SystemResult<>::ok());
        }
        EXPECT_EQ(loginWindow->switchCount(), 3);
        EXPECT_EQ(
            added(threadNames(), before),
            (std::multiset<std::string>{concurrency::SerialQueue::threadName(UserSwitch::queueLabel()),
                                        concurrency::SerialQueue::threadName(HoverSensor::queueLabel())}))
            << "one thread per queue, however many calls";
    }
    EXPECT_TRUE(settlesTo(before)) << "the queues' threads end with the queues";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
