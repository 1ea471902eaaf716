#include "Platform/Simulated/SimulatedWorkspace.h"

#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Support/HeldQueue.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::HeldQueue;

namespace {

SimulatedApplication app(std::optional<std::string> bundle, std::int32_t pid, bool running = true) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    result.isRunning = running;
    return result;
}

class SimulatedWorkspaceTest : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>(
        std::vector<SimulatedScreen>{SimulatedScreen{}},
        std::vector<SimulatedApplication>{app("com.example.a", 10), app("com.example.b", 11, false),
                                          app(std::nullopt, 12)});
    std::shared_ptr<SimulatedWorkspace> workspace = SimulatedWorkspace::create(desktop);
};

TEST_F(SimulatedWorkspaceTest, LaunchesAndQuitsReachObserversOnTheWorkspacesOwnThread) {
    std::mutex mutex;
    std::vector<std::thread::id> threads;
    auto observation = workspace->observeRunningApplications([&] {
        std::lock_guard lock(mutex);
        threads.push_back(std::this_thread::get_id());
    });

    const auto relaunched = workspace->launch("com.example.b");
    ASSERT_TRUE(relaunched);
    EXPECT_GT(*relaunched, 12) << "a launch gets a fresh process identifier";
    const auto added = workspace->launch(app("com.example.c", 0));
    ASSERT_TRUE(added);
    EXPECT_GT(*added, *relaunched);
    EXPECT_TRUE(workspace->quit(10));
    ASSERT_TRUE(workspace->waitForDeliveries());

    std::vector<std::optional<std::string>> running;
    for (const auto& entry : workspace->runningApplications()) {
        running.push_back(entry.bundleIdentifier);
    }
    EXPECT_EQ(running,
              (std::vector<std::optional<std::string>>{"com.example.b", std::nullopt, "com.example.c"}));

    std::lock_guard lock(mutex);
    ASSERT_EQ(threads.size(), 3u);
    ASSERT_TRUE(workspace->notificationThread());
    for (const auto& thread : threads) {
        EXPECT_EQ(thread, *workspace->notificationThread());
        EXPECT_NE(thread, std::this_thread::get_id());
    }
}

TEST_F(SimulatedWorkspaceTest, RefusesLaunchesThatCannotHappen) {
    EXPECT_FALSE(workspace->launch("com.example.a")) << "already running";
    EXPECT_FALSE(workspace->launch("com.example.none"));
    EXPECT_FALSE(workspace->launch(app("com.example.dup", 10))) << "process identifier taken";
    EXPECT_FALSE(workspace->quit(11)) << "not running";
    EXPECT_FALSE(workspace->quit(99));
}

TEST_F(SimulatedWorkspaceTest, OnlyChangesOfTheRunningListAreReported) {
    std::atomic<int> calls = 0;
    auto observation = workspace->observeRunningApplications([&] { ++calls; });
    ASSERT_TRUE(desktop->setStatusItems(10, {SimulatedStatusItem{}}));
    ASSERT_TRUE(desktop->activate(10));
    ASSERT_TRUE(workspace->waitForDeliveries());
    EXPECT_EQ(calls, 0);

    observation->invalidate();
    ASSERT_TRUE(workspace->quit(10));
    ASSERT_TRUE(workspace->waitForDeliveries());
    EXPECT_EQ(calls, 0) << "an invalidated observation hears nothing";

    auto second = workspace->observeRunningApplications([&] { ++calls; });
    second.reset(); // destroying it ends it too
    ASSERT_TRUE(workspace->launch("com.example.a"));
    ASSERT_TRUE(workspace->waitForDeliveries());
    EXPECT_EQ(calls, 0);
}

TEST_F(SimulatedWorkspaceTest, ActivationsArePostedOnTheObserversQueueInTheOrderOfTheChanges) {
    auto queue = std::make_shared<HeldQueue>();
    std::vector<std::string> log;
    auto observation = workspace->observeRunningApplications(
        [queue, &log] { queue->async([&log] { log.push_back("running"); }); });
    const auto center = workspace->notificationCenter();
    auto token =
        center->addObserver(std::string(NotificationNames::workspaceDidActivateApplication), queue,
                            [&log](const NotificationCenter::Notification& notification) {
                                ASSERT_TRUE(notification.application);
                                log.push_back(notification.application->bundleIdentifier.value_or("(none)"));
                            });

    const auto pid = workspace->launch("com.example.b");
    ASSERT_TRUE(pid);
    ASSERT_TRUE(workspace->activate(*pid));
    ASSERT_TRUE(workspace->activate(*pid)); // already active: nothing new
    ASSERT_TRUE(workspace->activate(12));
    ASSERT_TRUE(workspace->waitForDeliveries());
    EXPECT_TRUE(log.empty()) << "nothing runs before the queue does";
    queue->runAll();
    EXPECT_EQ(log, (std::vector<std::string>{"running", "com.example.b", "(none)"}));

    center->removeObserver(token);
    ASSERT_TRUE(workspace->activate(10));
    ASSERT_TRUE(workspace->waitForDeliveries());
    EXPECT_EQ(queue->runAll(), 0u);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
