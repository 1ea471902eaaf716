#include "MenuBarSystem/Watching/AppActivityWatcher.h"

#include "Concurrency/ManualExecutor.h"
#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/FakeWorkspace.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace pellacor::system {
inline void PrintTo(const AppActivity& activity, std::ostream* os) {
    *os << toString(activity);
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using pellacor::testing::FakeWorkspace;
using platform::Workspace;

namespace {

using Events = std::vector<AppActivity>;

Workspace::RunningApplication running(std::int32_t pid, std::optional<std::string> bundle) {
    Workspace::RunningApplication app;
    app.processIdentifier = pid;
    app.bundleIdentifier = std::move(bundle);
    return app;
}

class AppActivityWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        workspace->setApps({running(10, "com.example.a"), running(11, "com.example.b")});
    }

    void start() {
        watcher->start([this](const AppActivity& event) { events.push_back(event); });
    }
    // Posts an activation on the workspace's center, as the platform does.
    void postActivation(std::optional<Workspace::RunningApplication> app) {
        workspace->center->post(
            {std::string(platform::NotificationNames::workspaceDidActivateApplication), std::move(app)});
    }

    concurrency::ManualExecutor executor;
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<AppActivityWatcher> watcher = AppActivityWatcher::create(workspace, executor);
    Events events;
};

TEST_F(AppActivityWatcherTest, ADiffReportsTerminationsThenLaunchesOnTheMainExecutor) {
    EXPECT_TRUE(watcher->runningBundleIDs().empty()) << "nothing before start";
    start();
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a", "com.example.b"}));

    // Two launches between two observations come from one diff.
    workspace->change({running(10, "com.example.a"), running(11, "com.example.b"),
                       running(20, "com.example.d"), running(14, "com.example.c")});
    EXPECT_TRUE(events.empty()) << "the change only schedules the diff";
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::launched("com.example.c"), AppActivity::launched("com.example.d")}));

    // A quit and a relaunch under a new process identifier; a process identifier
    // that now names another application.
    events.clear();
    workspace->change({running(30, "com.example.a"), running(11, "com.example.x"),
                       running(20, "com.example.d"), running(14, "com.example.c")});
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.a"), AppActivity::terminated("com.example.b"),
                      AppActivity::launched("com.example.x"), AppActivity::launched("com.example.a")}));
    EXPECT_EQ(watcher->runningBundleIDs(),
              (std::set<std::string>{"com.example.a", "com.example.c", "com.example.d", "com.example.x"}));

    events.clear();
    workspace->change({running(30, "com.example.a")});
    workspace->change({running(30, "com.example.a")});
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.x"), AppActivity::terminated("com.example.c"),
                      AppActivity::terminated("com.example.d")}))
        << "in process-identifier order; the second report finds nothing new";
}

TEST_F(AppActivityWatcherTest, TheSnapshotSkipsApplicationsWithoutIdentifierAndCountsEachIdentifierOnce) {
    workspace->setApps({running(10, "com.example.a"), running(11, std::nullopt), running(12, "com.example.a"),
                        running(13, "com.example.old"), running(13, "com.example.new")});
    start();
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a", "com.example.new"}))
        << "a later entry for a process identifier replaces an earlier one";

    workspace->change(
        {running(10, "com.example.a"), running(11, "com.example.named"), running(13, "com.example.new")});
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.a"), AppActivity::launched("com.example.named")}));
}

TEST_F(AppActivityWatcherTest, ActivationsWithABundleIdentifierArePassedOn) {
    start();
    postActivation(running(10, "com.example.a"));
    postActivation(running(11, std::nullopt));
    postActivation(std::nullopt);
    EXPECT_TRUE(events.empty()) << "delivered on the main queue";
    executor.runUntilIdle();
    EXPECT_EQ(events, (Events{AppActivity::activated("com.example.a")}));
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a", "com.example.b"}))
        << "an activation changes no snapshot";
}

TEST_F(AppActivityWatcherTest, ASecondStartIsIgnoredUntilStop) {
    start();
    Events second;
    watcher->start([&second](const AppActivity& event) { second.push_back(event); });
    workspace->change({running(10, "com.example.a")});
    postActivation(running(10, "com.example.a"));
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.b"), AppActivity::activated("com.example.a")}));
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(workspace->center->observerCount(), 1u) << "no second observer";

    // Reports already on their way when the watcher stops go nowhere.
    workspace->change({running(10, "com.example.a"), running(12, "com.example.c")});
    postActivation(running(12, "com.example.c"));
    watcher->stop();
    EXPECT_FALSE(workspace->isObserved());
    EXPECT_EQ(workspace->center->observerCount(), 0u);
    EXPECT_TRUE(watcher->runningBundleIDs().empty());
    executor.runUntilIdle();
    EXPECT_EQ(events.size(), 2u);

    watcher->start([&second](const AppActivity& event) { second.push_back(event); });
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a", "com.example.c"}));
    workspace->change({running(12, "com.example.c")});
    executor.runUntilIdle();
    EXPECT_EQ(second, (Events{AppActivity::terminated("com.example.a")}));
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(AppActivityWatcherTest, AHandlerThatStopsTheWatcherEndsTheDelivery) {
    watcher->start([this](const AppActivity& event) {
        events.push_back(event);
        watcher->stop();
    });
    workspace->change({});
    executor.runUntilIdle();
    EXPECT_EQ(events, (Events{AppActivity::terminated("com.example.a")}));
}

TEST_F(AppActivityWatcherTest, AHandlerThatRestartsTheWatcherGetsNoEventsOfTheOldDiff) {
    Events second;
    watcher->start([this, &second](const AppActivity& event) {
        events.push_back(event);
        watcher->stop();
        // The fresh snapshot already holds every change of the diff in progress.
        watcher->start([&second](const AppActivity& later) { second.push_back(later); });
    });
    workspace->change({running(12, "com.example.c")});
    executor.runUntilIdle();
    EXPECT_EQ(events, (Events{AppActivity::terminated("com.example.a")}));
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.c"}));

    workspace->change({running(12, "com.example.c"), running(13, "com.example.d")});
    executor.runUntilIdle();
    EXPECT_EQ(second, (Events{AppActivity::launched("com.example.d")}));
}

TEST_F(AppActivityWatcherTest, AReleasedWatcherIgnoresReportsStillOnTheirWay) {
    start();
    workspace->change({});
    postActivation(running(10, "com.example.a"));
    watcher.reset();
    EXPECT_FALSE(workspace->isObserved()) << "releasing ends the observation";
    executor.runUntilIdle();
    EXPECT_TRUE(events.empty());
}

// The simulated desktop reports from a thread of its own, as the platform does.
TEST(AppActivityWatcherOnTheDesktopTest, LaunchesQuitsAndRelaunchesArriveInOrder) {
    concurrency::ManualExecutor executor;
    platform::Scenario scenario;
    auto app = [](std::optional<std::string> bundle, std::int32_t pid, bool isRunning) {
        platform::SimulatedApplication result;
        result.bundleIdentifier = std::move(bundle);
        result.processIdentifier = pid;
        result.isRunning = isRunning;
        return result;
    };
    scenario.applications = {app("com.example.a", 500, true), app("com.example.b", 501, false),
                             app(std::nullopt, 502, true)};
    platform::SimulatedPlatform platform(scenario);
    const auto& workspace = platform.workspace();
    auto watcher = AppActivityWatcher::create(platform.services().workspace, executor);
    Events events;
    watcher->start([&events](const AppActivity& event) { events.push_back(event); });
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a"}));

    auto settle = [&] {
        ASSERT_TRUE(workspace->waitForDeliveries());
        executor.runUntilIdle();
    };
    const auto b = workspace->launch("com.example.b");
    ASSERT_TRUE(b);
    ASSERT_TRUE(workspace->activate(*b));
    ASSERT_TRUE(workspace->activate(502)); // no bundle identifier: no event
    settle();
    EXPECT_EQ(events,
              (Events{AppActivity::launched("com.example.b"), AppActivity::activated("com.example.b")}));

    events.clear();
    ASSERT_TRUE(workspace->quit(500));
    settle();
    ASSERT_TRUE(workspace->launch("com.example.a"));
    settle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.a"), AppActivity::launched("com.example.a")}));

    // Quit and relaunch between two looks give both events from one diff.
    events.clear();
    ASSERT_TRUE(workspace->quit(*b));
    ASSERT_TRUE(workspace->launch("com.example.b"));
    ASSERT_TRUE(workspace->waitForDeliveries());
    executor.runUntilIdle();
    EXPECT_EQ(events,
              (Events{AppActivity::terminated("com.example.b"), AppActivity::launched("com.example.b")}));
    EXPECT_EQ(watcher->runningBundleIDs(), (std::set<std::string>{"com.example.a", "com.example.b"}));
    watcher->stop();
}

} // namespace
} // namespace PELLACOR_TEST_FILE
