#include "MenuBarSystem/Reading/ItemReader.h"
#include "MenuBarSystem/Reading/SystemAccessibility.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "MenuBarSystem/Watching/ScreenWatcher.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/CoordinatorFixture.h"
#include "Support/DesktopDrive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::Section;

// The coordinator over the real item reader, visibility controller and screen
// watcher on the default simulated desktop: a laptop screen with a camera
// housing, and every application with items in the shown section, more than fit
// right of the housing.
class NotchEndToEnd : public CoordinatorFixture {
protected:
    Coordinator& collapsedOnTheDesktop() {
        simulated = std::make_unique<platform::SimulatedPlatform>();
        simulated->setMainQueue(std::make_shared<system::MainQueue>(executor));
        desktop = simulated->desktop();
        desktop->setClock([this] { return executor.now().time_since_epoch(); });
        auto services = simulated->services();
        realVisibility = system::VisibilityController::create(executor, simulated->runtimeLoader(), selfID);
        realReader = std::make_shared<system::ItemReader>(std::make_shared<system::SystemAccessibility>(
            simulated->accessibility(), simulated->workspace()));
        realScreens = system::ScreenWatcher::create(
            services.screens, services.workspace->notificationCenter(), services.notificationCenter);

        std::map<AppKey, Section> sections;
        for (const auto& app : desktop->applications()) {
            if (app.isRunning && app.bundleIdentifier && !app.statusItems.empty()) {
                apps->running.insert(*app.bundleIdentifier);
                const AppKey key(*app.bundleIdentifier);
                if (!key.isApple() && *app.bundleIdentifier != selfID) {
                    sections[key] = Section::shown;
                }
            }
        }
        timings.profile = makeProfile(std::move(sections));
        timings.trustCheckInterval = std::nullopt;
        Coordinator& c = build();
        c.notchOverflowEnabled = true;
        c.belowBarEnabled = true;
        // The start's read of the desktop, on the reader's thread, finds the bar healthy and collapses.
        start();
        EXPECT_TRUE(executor.runUntil([&] { return c.baseState() == State::collapsed; }));
        drive([&] { return realVisibility->currentPlan() == Probe::requestedPlan(c); });
        return c;
    }

    // Virtual time moves only while no read is on its way on the reader's queue
    // and no restriction change is being delivered; at most `limit` of it.
    void drive(const std::function<bool()>& done, concurrency::Duration limit = 120s) {
        DesktopDrive{executor, *simulated->restrictionService(),
                     [this] { return Probe::isCheckingNotch(*coordinator); }}
            .until(done, limit);
    }

    bool chevronOnBar() const {
        const auto placed = desktop->menuBarItems();
        return std::any_of(placed.begin(), placed.end(),
                           [](const platform::PlacedStatusItem& p) { return p.item.isOverflowChevron; });
    }
    bool onBar(const AppKey& app) const {
        const auto placed = desktop->menuBarItems();
        return std::any_of(placed.begin(), placed.end(), [&](const platform::PlacedStatusItem& p) {
            return p.ownerBundleIdentifier == app.bundleID();
        });
    }

    std::unique_ptr<platform::SimulatedPlatform> simulated;
    std::shared_ptr<platform::SimulatedDesktop> desktop;
};

TEST_F(NotchEndToEnd, TheOverflowTakesWhatDoesNotFitOffTheBarAndAPlainScreenBringsItBack) {
    Coordinator& c = collapsedOnTheDesktop();
    ASSERT_TRUE(chevronOnBar()) << "the default desktop does not fit its shown items right of the housing";
    drive([&] { return !chevronOnBar() && !Probe::notchState(c).overflow.empty(); });
    const auto overflow = Probe::notchState(c).overflow;
    const auto restriction = desktop->restriction();
    ASSERT_TRUE(restriction.has_value());
    for (const auto& app : overflow) {
        EXPECT_FALSE(onBar(app)) << app.bundleID();
        EXPECT_FALSE(restriction->allowedBundleIdentifiers.contains(app.bundleID())) << app.bundleID();
    }
    EXPECT_TRUE(onBar(AppKey(selfID)));
    EXPECT_THAT(events, ::testing::Contains("notchOverflow(" + std::to_string(overflow.size()) + ")"));

    // The laptop's lid closes on an external display without a housing.
    desktop->setScreens({platform::SimulatedScreen{core::Rect(0, 0, 1920, 1080), 24}});
    drive([&] {
        return Probe::notchState(c).overflow.empty() &&
               std::all_of(overflow.begin(), overflow.end(), [&](const AppKey& app) { return onBar(app); });
    });
    EXPECT_FALSE(chevronOnBar());
    std::vector<std::string> overflowChanges;
    std::copy_if(events.begin(), events.end(), std::back_inserter(overflowChanges),
                 [](const std::string& e) { return e.starts_with("notchOverflow("); });
    ASSERT_FALSE(overflowChanges.empty());
    EXPECT_EQ(overflowChanges.back(), "notchOverflow(0)");
    c.shutdown();
    executor.runUntilIdle();
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
