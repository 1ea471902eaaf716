#include "MenuBarSystem/Watching/ScreenWatcher.h"

#include "Concurrency/ManualExecutor.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using platform::NotificationCenter;
using platform::NotificationNames;
using Screen = core::NotchPlanner::Screen;

namespace {

class FakeScreens final : public platform::Screens {
public:
    std::vector<platform::Screen> attached;
    std::vector<platform::Screen> screens() const override { return attached; }
};

platform::Screen screen(core::Rect frame, std::optional<core::Rect> topRight = std::nullopt) {
    platform::Screen result;
    result.frame = frame;
    result.auxiliaryTopRightArea = topRight;
    return result;
}

// A center that writes every registration and removal into a log shared with
// the other center, so that the order across both shows.
class RecordingCenter final : public NotificationCenter {
public:
    RecordingCenter(std::string label, std::vector<std::string>& log) : label_(std::move(label)), log_(log) {}

    ObservationToken addObserver(std::string name, std::shared_ptr<platform::DispatchQueue>,
                                 Block block) override {
        const ObservationToken token{next_++};
        log_.push_back("add " + label_ + " " + name);
        blocks_.emplace(token.value, std::make_pair(std::move(name), std::move(block)));
        return token;
    }

    void removeObserver(ObservationToken token) override {
        auto it = blocks_.find(token.value);
        log_.push_back("remove " + label_ + " " + (it == blocks_.end() ? "unknown" : it->second.first));
        if (it != blocks_.end()) {
            blocks_.erase(it);
        }
    }

    void post(std::string_view name) {
        auto blocks = blocks_;
        for (const auto& [token, entry] : blocks) {
            if (entry.first == name) {
                entry.second(Notification{entry.first});
            }
        }
    }

    std::size_t count() const { return blocks_.size(); }

private:
    std::string label_;
    std::vector<std::string>& log_;
    std::map<std::uint64_t, std::pair<std::string, Block>> blocks_;
    std::uint64_t next_ = 1;
};

TEST(ScreenWatcherConversionTest, ScreensBecomeTopDownFramesWithTheirNotchEdges) {
    const core::Rect main(0, 0, 1512, 982);
    const struct Case {
        const char* what;
        std::vector<platform::Screen> attached;
        std::vector<Screen> expected;
    } cases[] = {
        {"no screen attached", {}, {}},
        {"the first screen alone starts at the origin",
         {screen(main, core::Rect(846, 958, 666, 24))},
         {{core::Rect(0, 0, 1512, 982), 846}}},
        {"a screen above the first one gets a negative y",
         {screen(main), screen(core::Rect(-200, 982, 1920, 1080))},
         {{main, std::nullopt}, {core::Rect(-200, -1080, 1920, 1080), std::nullopt}}},
        {"a screen below the first one gets a y beyond its height",
         {screen(main), screen(core::Rect(300, -900, 1440, 900))},
         {{main, std::nullopt}, {core::Rect(300, 982, 1440, 900), std::nullopt}}},
        {"a first screen not at the origin anchors the space by its top edge",
         {screen(core::Rect(0, 100, 1000, 800)), screen(core::Rect(1000, 0, 800, 600))},
         {{core::Rect(0, 0, 1000, 800), std::nullopt}, {core::Rect(1000, 300, 800, 600), std::nullopt}}},
        {"the notch edge of a secondary screen is its top-right area's left edge, x unchanged",
         {screen(core::Rect(0, 0, 1920, 1080)),
          screen(core::Rect(-1512, 1080, 1512, 982), core::Rect(-666, 2038, 666, 24))},
         {{core::Rect(0, 0, 1920, 1080), std::nullopt}, {core::Rect(-1512, -982, 1512, 982), -666}}},
        {"an empty top-right area is no notch",
         {screen(main, core::Rect(1512, 958, 0, 24)),
          screen(core::Rect(1512, 0, 800, 600), core::Rect::null())},
         {{main, std::nullopt}, {core::Rect(1512, 382, 800, 600), std::nullopt}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeScreens screens;
        screens.attached = c.attached;
        EXPECT_EQ(ScreenWatcher::currentScreens(screens), c.expected);
        std::vector<core::Rect> frames;
        for (const auto& s : c.expected) {
            frames.push_back(s.frame);
        }
        EXPECT_EQ(ScreenWatcher::currentFrames(screens), frames);
        auto watcher = ScreenWatcher::create(std::make_shared<FakeScreens>(screens), nullptr, nullptr);
        EXPECT_EQ(watcher->screens(), c.expected);
    }
}

TEST(ScreenWatcherConversionTest, TheDefaultDesktopIsOneNotchedScreenAtTheOrigin) {
    platform::SimulatedPlatform platform;
    auto services = platform.services();
    auto watcher = ScreenWatcher::create(services.screens, services.workspace->notificationCenter(),
                                         services.notificationCenter);
    EXPECT_EQ(watcher->screens(), (std::vector<Screen>{{core::Rect(0, 0, 1512, 982), 846}}));

    platform.desktop()->setScreens({platform::SimulatedScreen{core::Rect(0, 0, 1512, 982), 24, 180},
                                    platform::SimulatedScreen{core::Rect(-408, 982, 2560, 1440), 24}});
    EXPECT_EQ(watcher->screens(), (std::vector<Screen>{{core::Rect(0, 0, 1512, 982), 846},
                                                       {core::Rect(-408, -1440, 2560, 1440), std::nullopt}}));
}

class ScreenWatcherLifecycleTest : public ::testing::Test {
protected:
    std::vector<std::string> log;
    std::shared_ptr<RecordingCenter> workspace = std::make_shared<RecordingCenter>("workspace", log);
    std::shared_ptr<RecordingCenter> center = std::make_shared<RecordingCenter>("default", log);
    std::shared_ptr<ScreenWatcher> watcher =
        ScreenWatcher::create(std::make_shared<FakeScreens>(), workspace, center);

    void postAll() {
        workspace->post(NotificationNames::workspaceActiveSpaceDidChange);
        workspace->post(NotificationNames::workspaceDidActivateApplication);
        center->post(NotificationNames::applicationDidChangeScreenParameters);
    }
};

const std::vector<std::string> threeAdds = {
    "add workspace NSWorkspaceActiveSpaceDidChangeNotification",
    "add workspace NSWorkspaceDidActivateApplicationNotification",
    "add default NSApplicationDidChangeScreenParametersNotification",
};

TEST_F(ScreenWatcherLifecycleTest, StartObservesExactlyTheThreeNotificationsAndStopRemovesThem) {
    int calls = 0;
    watcher->start([&] { ++calls; });
    EXPECT_EQ(log, threeAdds);
    EXPECT_EQ(watcher->observers().size(), 3u);
    postAll();
    EXPECT_EQ(calls, 3) << "every one of the three wakes the caller";

    log.clear();
    watcher->stop();
    EXPECT_EQ(
        log, (std::vector<std::string>{"remove workspace NSWorkspaceActiveSpaceDidChangeNotification",
                                       "remove workspace NSWorkspaceDidActivateApplicationNotification",
                                       "remove default NSApplicationDidChangeScreenParametersNotification"}));
    EXPECT_EQ(workspace->count() + center->count(), 0u);
    EXPECT_TRUE(watcher->observers().empty());
    postAll();
    EXPECT_EQ(calls, 3);

    log.clear();
    watcher->stop(); // idle: nothing to remove
    EXPECT_TRUE(log.empty());
}

TEST_F(ScreenWatcherLifecycleTest, ASecondStartKeepsTheFirstCallbackAndAddsNothing) {
    std::vector<std::string> calls;
    watcher->start([&] { calls.push_back("first"); });
    watcher->start([&] { calls.push_back("second"); });
    EXPECT_EQ(log, threeAdds);
    center->post(NotificationNames::applicationDidChangeScreenParameters);
    EXPECT_EQ(calls, (std::vector<std::string>{"first"}));

    // Stopped and started again: three fresh observations and the new callback.
    watcher->stop();
    log.clear();
    watcher->start([&] { calls.push_back("third"); });
    EXPECT_EQ(log, threeAdds);
    EXPECT_EQ(workspace->count() + center->count(), 3u);
    workspace->post(NotificationNames::workspaceActiveSpaceDidChange);
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "third"}));
}

TEST_F(ScreenWatcherLifecycleTest, AnEmptyCallbackStillCountsAsStarted) {
    watcher->start(nullptr);
    postAll();
    watcher->start([] {});
    EXPECT_EQ(log, threeAdds);
}

TEST_F(ScreenWatcherLifecycleTest, TheCallbackMayStopTheWatcher) {
    int calls = 0;
    watcher->start([&] {
        ++calls;
        watcher->stop();
    });
    postAll();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(workspace->count() + center->count(), 0u);
}

TEST_F(ScreenWatcherLifecycleTest, AReleasedWatcherLeavesItsObservationsDoingNothing) {
    int calls = 0;
    watcher->start([&] { ++calls; });
    watcher.reset();
    EXPECT_EQ(workspace->count() + center->count(), 3u);
    postAll();
    EXPECT_EQ(calls, 0);
}

TEST(ScreenWatcherOnTheDesktopTest, DesktopChangesWakeTheCallerOnTheMainThread) {
    concurrency::ManualExecutor executor;
    platform::SimulatedPlatform platform;
    platform.setMainQueue(std::make_shared<MainQueue>(executor));
    auto services = platform.services();
    auto watcher = ScreenWatcher::create(services.screens, services.workspace->notificationCenter(),
                                         services.notificationCenter);
    std::vector<std::vector<Screen>> seen;
    std::vector<std::thread::id> threads;
    watcher->start([&] {
        threads.push_back(std::this_thread::get_id());
        seen.push_back(watcher->screens());
    });
    EXPECT_EQ(platform.workspaceNotificationCenter()->observerCount(), 2u);
    EXPECT_EQ(platform.notificationCenter()->observerCount(), 1u);

    // A display plugged in above the laptop, by another thread.
    std::thread plug([&] {
        platform.desktop()->setScreens({platform::SimulatedScreen{core::Rect(0, 0, 1512, 982), 24, 180},
                                        platform::SimulatedScreen{core::Rect(0, 982, 1920, 1080), 24}});
    });
    plug.join();
    EXPECT_TRUE(seen.empty()) << "not on the thread that changed the desktop";
    executor.runUntilIdle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (std::vector<Screen>{{core::Rect(0, 0, 1512, 982), 846},
                                            {core::Rect(0, -1080, 1920, 1080), std::nullopt}}));

    // On the main thread: a Space switch and another application in front (the
    // workspace announces that from its own thread, so it comes through the main queue).
    const auto background = platform.desktop()->runningApplication("com.example.fernlight");
    ASSERT_TRUE(background);
    platform.desktop()->setActiveSpace(2);
    platform.desktop()->activate(background->processIdentifier);
    ASSERT_TRUE(platform.workspace()->waitForDeliveries());
    executor.runUntilIdle();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(threads, (std::vector<std::thread::id>(3, std::this_thread::get_id())));

    watcher->stop();
    EXPECT_EQ(platform.workspaceNotificationCenter()->observerCount() +
                  platform.notificationCenter()->observerCount(),
              0u);
    platform.desktop()->setActiveSpace(3);
    executor.runUntilIdle();
    EXPECT_EQ(seen.size(), 3u);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
