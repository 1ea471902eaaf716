#include "Platform/Simulated/SimulatedNotificationCenter.h"

#include "Platform/NotificationNames.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedDesktopNotifications.h"

#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace pellacor;
using namespace pellacor::platform;

namespace {

using Notification = NotificationCenter::Notification;

// A main queue that keeps the jobs handed to it until the test runs them.
class HeldMainQueue {
public:
    SimulatedNotificationCenter::MainQueue queue() {
        return {std::this_thread::get_id(), [this](SimulatedNotificationCenter::Job job) {
                    std::lock_guard lock(mutex_);
                    jobs_.push_back(std::move(job));
                }};
    }

    std::size_t runAll() {
        std::vector<SimulatedNotificationCenter::Job> jobs;
        {
            std::lock_guard lock(mutex_);
            jobs.swap(jobs_);
        }
        for (auto& job : jobs) {
            job();
        }
        return jobs.size();
    }

private:
    std::mutex mutex_;
    std::vector<SimulatedNotificationCenter::Job> jobs_;
};

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
    HeldMainQueue main;
    center.setMainQueue(main.queue());
    std::vector<std::thread::id> threads;
    auto token =
        center.addObserver("A", [&](const Notification&) { threads.push_back(std::this_thread::get_id()); });

    center.post({"A"});
    EXPECT_EQ(threads.size(), 1u) << "posted on the main thread: delivered before post returns";

    postFromAnotherThread(center, "A");
    EXPECT_EQ(threads.size(), 1u) << "not on the posting thread";
    EXPECT_EQ(main.runAll(), 1u);
    EXPECT_EQ(threads, (std::vector<std::thread::id>(2, std::this_thread::get_id())));

    // Removed while its notification was on the way: it is not called.
    postFromAnotherThread(center, "A");
    center.removeObserver(token);
    main.runAll();
    EXPECT_EQ(threads.size(), 2u);
}

TEST(SimulatedNotificationCenterTest, ANotificationQueuedForAGoneCenterIsDropped) {
    HeldMainQueue main;
    bool called = false;
    {
        SimulatedNotificationCenter center;
        center.setMainQueue(main.queue());
        center.addObserver("A", [&](const Notification&) { called = true; });
        postFromAnotherThread(center, "A");
    }
    EXPECT_EQ(main.runAll(), 1u);
    EXPECT_FALSE(called);
}

// The platform's announcements of desktop changes, as each center hears them.
class SimulatedDesktopNotificationsTest : public ::testing::Test {
protected:
    SimulatedDesktopNotificationsTest() {
        desktop->addApplication(app(10, true));
        desktop->addApplication(app(11, false));
        desktop->activate(10);
        notifications = SimulatedDesktopNotifications::create(desktop, defaultCenter, workspaceCenter);
        for (auto name : {NotificationNames::workspaceActiveSpaceDidChange,
                          NotificationNames::workspaceDidActivateApplication}) {
            workspaceCenter->addObserver(
                std::string(name), [this](const Notification& n) { heard.push_back("workspace " + n.name); });
        }
        defaultCenter->addObserver(std::string(NotificationNames::applicationDidChangeScreenParameters),
                                   [this](const Notification& n) { heard.push_back("default " + n.name); });
    }

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
    std::vector<std::string> heard;
};

TEST_F(SimulatedDesktopNotificationsTest, EachChangeIsAnnouncedOnItsCenter) {
    desktop->setScreens({SimulatedScreen{}, SimulatedScreen{core::Rect(1512, 0, 1920, 1080)}});
    desktop->setActiveSpace(2);
    desktop->setRunning(11, true);
    desktop->activate(11);
    EXPECT_EQ(heard, (std::vector<std::string>{"default NSApplicationDidChangeScreenParametersNotification",
                                               "workspace NSWorkspaceActiveSpaceDidChangeNotification",
                                               "workspace NSWorkspaceDidActivateApplicationNotification"}));
}

TEST_F(SimulatedDesktopNotificationsTest, NothingIsAnnouncedWhenNothingOfThatKindChanged) {
    desktop->activate(10);      // already active
    desktop->setActiveSpace(1); // already shown
    desktop->setRunning(11, true);
    desktop->setRestriction(MenuBarRestriction{});
    EXPECT_TRUE(heard.empty());

    // An application that quit and comes back active is activated anew.
    desktop->setRunning(10, false);
    desktop->setRunning(10, true);
    desktop->activate(10);
    EXPECT_EQ(heard, (std::vector<std::string>{"workspace NSWorkspaceDidActivateApplicationNotification"}));
}

TEST_F(SimulatedDesktopNotificationsTest, ChangesOnAnotherThreadAreHeardOnTheMainQueue) {
    HeldMainQueue main;
    defaultCenter->setMainQueue(main.queue());
    workspaceCenter->setMainQueue(main.queue());
    std::thread changer([this] {
        desktop->setActiveSpace(3);
        desktop->setScreens({SimulatedScreen{core::Rect(0, 0, 1024, 768)}});
    });
    changer.join();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(main.runAll(), 2u);
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(SimulatedDesktopNotificationsTest, AGoneAnnouncerStopsAnnouncing) {
    notifications.reset();
    desktop->setActiveSpace(4);
    EXPECT_TRUE(heard.empty());
}

} // namespace
