#include "Platform/Simulated/SimulatedNotificationCenter.h"

#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedDesktopNotifications.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedWorkspace.h"
#include "Support/HeldQueue.h"

#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::HeldQueue;

namespace {

using Notification = NotificationCenter::Notification;

void postFromAnotherThread(SimulatedNotificationCenter& center, std::string name) {
    std::thread poster([&center, name] { center.post({name}); });
    poster.join();
}

TEST(SimulatedNotificationCenterTest, DeliversByNameInRegistrationOrderUntilRemoved) {
    SimulatedNotificationCenter center;
    std::vector<std::string> calls;
    auto first = center.addObserver("A", [&](const Notification& n) { calls.push_back("first " + n.name); });
    center.addObserver("B", [&](const Notification& n) { calls.push_back("other " + n.name); });
    center.addObserver("A", [&](const Notification& n) { calls.push_back("second " + n.name); });
    EXPECT_EQ(center.observerCount("A"), 2u);
    EXPECT_EQ(center.observerCount(), 3u);

    center.post({"A"});
    EXPECT_EQ(calls, (std::vector<std::string>{"first A", "second A"}));

    center.removeObserver(first);
    center.removeObserver(first); // twice, and an unknown token: ignored
    center.removeObserver(NotificationCenter::ObservationToken{999});
    calls.clear();
    center.post({"A"});
    center.post({"C"});
    EXPECT_EQ(calls, (std::vector<std::string>{"second A"}));
    EXPECT_EQ(center.observerCount(), 2u);
}

TEST(SimulatedNotificationCenterTest, ABlockMayRemoveItselfOrALaterBlockWhileItRuns) {
    SimulatedNotificationCenter center;
    std::vector<std::string> calls;
    NotificationCenter::ObservationToken self{};
    NotificationCenter::ObservationToken later{};
    self = center.addObserver("A", [&](const Notification&) {
        calls.push_back("self");
        center.removeObserver(self);
        center.removeObserver(later);
    });
    later = center.addObserver("A", [&](const Notification&) { calls.push_back("later"); });
    center.post({"A"});
    center.post({"A"});
    EXPECT_EQ(calls, (std::vector<std::string>{"self"}));
    EXPECT_EQ(center.observerCount(), 0u);
}

TEST(SimulatedNotificationCenterTest, PostsFromOtherThreadsAreDeliveredOnTheMainQueue) {
    SimulatedNotificationCenter center;
    auto main = std::make_shared<HeldQueue>();
    center.setMainQueue(main);
    std::vector<std::thread::id> threads;
    auto token =
        center.addObserver("A", [&](const Notification&) { threads.push_back(std::this_thread::get_id()); });

    center.post({"A"});
    EXPECT_EQ(threads.size(), 1u) << "posted on the main thread: delivered before post returns";

    postFromAnotherThread(center, "A");
    EXPECT_EQ(threads.size(), 1u) << "not on the posting thread";
    EXPECT_EQ(main->runAll(), 1u);
    EXPECT_EQ(threads, (std::vector<std::thread::id>(2, std::this_thread::get_id())));

    // Removed while its notification was on the way: it is not called.
    postFromAnotherThread(center, "A");
    center.removeObserver(token);
    main->runAll();
    EXPECT_EQ(threads.size(), 2u);
}

TEST(SimulatedNotificationCenterTest, ANotificationQueuedForAGoneCenterIsDropped) {
    auto main = std::make_shared<HeldQueue>();
    bool called = false;
    {
        SimulatedNotificationCenter center;
        center.setMainQueue(main);
        center.addObserver("A", [&](const Notification&) { called = true; });
        postFromAnotherThread(center, "A");
    }
    EXPECT_EQ(main->runAll(), 1u);
    EXPECT_FALSE(called);
}

// The platform's announcements of desktop changes, as each center hears them:
// the screens and the Space from the announcer, activations from the workspace
// (on its own thread; `settle` waits for them).
class SimulatedDesktopNotificationsTest : public ::testing::Test {
protected:
    SimulatedDesktopNotificationsTest() {
        desktop->addApplication(app(10, true));
        desktop->addApplication(app(11, false));
        desktop->activate(10);
        notifications = SimulatedDesktopNotifications::create(desktop, defaultCenter, workspaceCenter);
        workspace = SimulatedWorkspace::create(desktop, workspaceCenter);
        for (auto name : {NotificationNames::workspaceActiveSpaceDidChange,
                          NotificationNames::workspaceDidActivateApplication}) {
            workspaceCenter->addObserver(std::string(name),
                                         [this](const Notification& n) { hear("workspace " + n.name); });
        }
        defaultCenter->addObserver(std::string(NotificationNames::applicationDidChangeScreenParameters),
                                   [this](const Notification& n) { hear("default " + n.name); });
    }

    void hear(std::string what) {
        std::lock_guard lock(mutex);
        heard.push_back(std::move(what));
    }
    void settle() { ASSERT_TRUE(workspace->waitForDeliveries()); }

    static SimulatedApplication app(std::int32_t pid, bool running) {
        SimulatedApplication result;
        result.bundleIdentifier = "com.example.app" + std::to_string(pid);
        result.processIdentifier = pid;
        result.isRunning = running;
        return result;
    }

    std::shared_ptr<SimulatedDesktop> desktop = std::make_shared<SimulatedDesktop>();
    std::shared_ptr<SimulatedNotificationCenter> defaultCenter =
        std::make_shared<SimulatedNotificationCenter>();
    std::shared_ptr<SimulatedNotificationCenter> workspaceCenter =
        std::make_shared<SimulatedNotificationCenter>();
    std::shared_ptr<SimulatedDesktopNotifications> notifications;
    std::mutex mutex;
    std::vector<std::string> heard;
    std::shared_ptr<SimulatedWorkspace> workspace;
};

TEST_F(SimulatedDesktopNotificationsTest, EachChangeIsAnnouncedOnItsCenter) {
    desktop->setScreens({SimulatedScreen{}, SimulatedScreen{core::Rect(1512, 0, 1920, 1080)}});
    desktop->setActiveSpace(2);
    desktop->setRunning(11, true);
    desktop->activate(11);
    settle();
    EXPECT_EQ(heard, (std::vector<std::string>{"default NSApplicationDidChangeScreenParametersNotification",
                                               "workspace NSWorkspaceActiveSpaceDidChangeNotification",
                                               "workspace NSWorkspaceDidActivateApplicationNotification"}));
}

TEST_F(SimulatedDesktopNotificationsTest, NothingIsAnnouncedWhenNothingOfThatKindChanged) {
    desktop->activate(10);      // already active
    desktop->setActiveSpace(1); // already shown
    desktop->setRunning(11, true);
    desktop->setRestriction(MenuBarRestriction{});
    settle();
    EXPECT_TRUE(heard.empty());

    // An application that quit and comes back active is activated anew.
    desktop->setRunning(10, false);
    desktop->setRunning(10, true);
    desktop->activate(10);
    settle();
    EXPECT_EQ(heard, (std::vector<std::string>{"workspace NSWorkspaceDidActivateApplicationNotification"}));
}

TEST_F(SimulatedDesktopNotificationsTest, ChangesOnAnotherThreadAreHeardOnTheMainQueue) {
    auto main = std::make_shared<HeldQueue>();
    defaultCenter->setMainQueue(main);
    workspaceCenter->setMainQueue(main);
    std::thread changer([this] {
        desktop->setActiveSpace(3);
        desktop->setScreens({SimulatedScreen{core::Rect(0, 0, 1024, 768)}});
    });
    changer.join();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(main->runAll(), 2u);
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(SimulatedDesktopNotificationsTest, AGoneAnnouncerStopsAnnouncing) {
    notifications.reset();
    desktop->setActiveSpace(4);
    EXPECT_TRUE(heard.empty());
}

// The wired platform: one workspace center, and each activation posted on it
// once, naming the application, however many parts watch the desktop.
TEST(SimulatedPlatformNotificationsTest, EachActivationIsPostedOnceOnTheWorkspacesCenter) {
    SimulatedPlatform platform;
    const auto services = platform.services();
    ASSERT_EQ(services.workspace->notificationCenter(), platform.workspaceNotificationCenter());
    ASSERT_NE(services.notificationCenter, services.workspace->notificationCenter());

    std::mutex mutex;
    std::vector<std::string> heard;
    const std::string name(NotificationNames::workspaceDidActivateApplication);
    platform.workspaceNotificationCenter()->addObserver(name, [&](const Notification& n) {
        std::lock_guard lock(mutex);
        heard.push_back(n.application && n.application->bundleIdentifier ? *n.application->bundleIdentifier
                                                                         : "(none)");
    });
    platform.notificationCenter()->addObserver(name, [&](const Notification&) {
        std::lock_guard lock(mutex);
        heard.push_back("on the default center");
    });

    std::vector<SimulatedApplication> background;
    for (const auto& app : platform.desktop()->runningApplications()) {
        if (!app.isActive && app.bundleIdentifier) {
            background.push_back(app);
        }
    }
    ASSERT_GE(background.size(), 2u);
    ASSERT_TRUE(platform.desktop()->activate(background[0].processIdentifier));
    ASSERT_TRUE(platform.desktop()->activate(background[0].processIdentifier)); // already active
    ASSERT_TRUE(platform.desktop()->activate(background[1].processIdentifier));
    ASSERT_TRUE(platform.workspace()->waitForDeliveries());
    std::lock_guard lock(mutex);
    EXPECT_EQ(heard,
              (std::vector<std::string>{*background[0].bundleIdentifier, *background[1].bundleIdentifier}));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
