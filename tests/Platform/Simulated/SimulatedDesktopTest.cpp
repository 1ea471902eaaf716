#include "Platform/Simulated/SimulatedDesktop.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;

namespace {

SimulatedApplication app(std::string bundle, std::int32_t pid, double width) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundle);
    result.processIdentifier = pid;
    SimulatedStatusItem item;
    item.identifier = *result.bundleIdentifier + ".item";
    item.width = width;
    result.statusItems = {item};
    return result;
}

std::vector<std::string> owners(const std::vector<PlacedStatusItem>& placed) {
    std::vector<std::string> result;
    for (const auto& p : placed) {
        result.push_back(p.ownerBundleIdentifier.value_or(""));
    }
    return result;
}

TEST(SimulatedDesktopTest, ApplicationChangesShowOnTheBarAndReachObservers) {
    SimulatedDesktop desktop({SimulatedScreen{}},
                             {app("com.example.a", 10, 20), app("com.example.b", 11, 30)});
    std::vector<SimulatedDesktop::Change> changes;
    auto id = desktop.addObserver([&](SimulatedDesktop::Change change) { changes.push_back(change); });

    EXPECT_EQ(owners(desktop.menuBarItems()), (std::vector<std::string>{"com.example.b", "com.example.a"}));
    ASSERT_TRUE(desktop.setRunning(10, false));
    EXPECT_EQ(owners(desktop.menuBarItems()), (std::vector<std::string>{"com.example.b"}));
    EXPECT_FALSE(desktop.addApplication(app("com.example.dup", 11, 5))) << "process identifier taken";
    ASSERT_TRUE(desktop.addApplication(app("com.example.c", 12, 5)));
    ASSERT_TRUE(desktop.activate(12));
    EXPECT_FALSE(desktop.activate(10)) << "a stopped application cannot become active";
    EXPECT_EQ(desktop.runningApplication("com.example.c")->isActive, true);
    EXPECT_EQ(desktop.runningApplication("com.example.a"), std::nullopt);

    desktop.setRestriction(MenuBarRestriction{{}, {"com.example.c"}});
    EXPECT_EQ(owners(desktop.menuBarItems()), (std::vector<std::string>{"com.example.c"}));
    desktop.setRestriction(MenuBarRestriction{{}, {"com.example.c"}}); // unchanged: no notification

    using C = SimulatedDesktop::Change;
    EXPECT_EQ(changes, (std::vector<C>{C::applications, C::applications, C::applications, C::menuBar}));

    desktop.removeObserver(id);
    desktop.setRestriction(std::nullopt);
    EXPECT_EQ(changes.size(), 4u);
    EXPECT_EQ(desktop.menuBarItems().size(), 2u);
}

TEST(SimulatedDesktopTest, AnOlderRestrictionRevisionNeverOverwritesANewerOne) {
    SimulatedDesktop desktop;
    desktop.setRestriction(MenuBarRestriction{{}, {"new"}}, 5);
    desktop.setRestriction(MenuBarRestriction{{}, {"old"}}, 4);
    desktop.setRestriction(std::nullopt, 5);
    ASSERT_TRUE(desktop.restriction());
    EXPECT_EQ(desktop.restriction()->allowedBundleIdentifiers, (std::set<std::string>{"new"}));
    // A plain store always counts as the newest.
    desktop.setRestriction(std::nullopt);
    EXPECT_EQ(desktop.restriction(), std::nullopt);
}

TEST(SimulatedDesktopTest, ObserversMayCallBackIntoTheDesktop) {
    SimulatedDesktop desktop({SimulatedScreen{}}, {app("com.example.a", 10, 20)});
    std::size_t seen = 0;
    desktop.addObserver([&](SimulatedDesktop::Change) { seen = desktop.menuBarItems().size(); });
    desktop.setRestriction(MenuBarRestriction{});
    EXPECT_EQ(seen, 0u);
}

TEST(SimulatedDesktopTest, ReadersOnOtherThreadsSeeWholeStates) {
    SimulatedDesktop desktop({SimulatedScreen{}},
                             {app("com.example.a", 10, 20), app("com.example.b", 11, 30)});
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!stop.load()) {
            auto size = desktop.menuBarItems().size();
            if (size != 1 && size != 2) {
                ++torn;
            }
        }
    });
    for (int i = 0; i < 2000; ++i) {
        desktop.setRestriction(i % 2 == 0 ? std::optional(MenuBarRestriction{{}, {"com.example.a"}})
                                          : std::nullopt);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
