#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/CoordinatorFixture.h"
#include "Support/DesktopDrive.h"
#include "Support/LogCapture.h"
#include "Support/PressPrinters.h"

#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::Section;
using core::VisibilityPlan;
using platform::SimulatedDesktop;
using system::ItemPresser;
using system::PressOutcome;
using system::PressTarget;
using system::SystemItemTarget;
using system::SystemPressAccessibility;
using system::VisibilityController;

// The presser's own queue, counting the calls on their way so that the test
// moves virtual time only while none is.
concurrency::Task<void> counted(std::shared_ptr<concurrency::SerialQueue> queue,
                                std::shared_ptr<int> inFlight, std::function<void()> job) {
    ++*inFlight;
    co_await queue->run(std::move(job));
    --*inFlight;
}

// The default desktop, with one application's items taking a while to be placed
// once a restriction change lets them show, and every menu closing on its own
// 4 s after it opened (the user picked something).
platform::Scenario defaultDesktopPlacingLate(const std::string& bundleID, std::chrono::milliseconds delay) {
    auto scenario = platform::Scenario::defaultScenario();
    for (auto& app : scenario.applications) {
        if (app.bundleIdentifier == bundleID) {
            app.placementDelay = delay;
        }
        for (auto& item : app.statusItems) {
            item.menu.openFor = std::chrono::milliseconds(4000);
        }
    }
    return scenario;
}

bool onBar(const SimulatedDesktop& desktop, const std::string& bundleID) {
    for (const auto& placed : desktop.menuBarItems()) {
        if (placed.ownerBundleIdentifier == bundleID) {
            return true;
        }
    }
    return false;
}

// The coordinator restricting the simulated desktop through the real visibility
// controller, with the real presser over the desktop's accessibility as the
// shell would wire it; the other services are the coordinator's fakes. Murmur
// Task is shown, Fernlight hidden.
class DesktopPress : public CoordinatorFixture {
protected:
    static constexpr const char* fernlight = "com.example.fernlight";
    static constexpr const char* murmurtask = "com.example.murmurtask";

    // Builds everything over the desktop and collapses, the restriction in force.
    Coordinator& collapsedOver(platform::Scenario scenario) {
        simulated = std::make_unique<platform::SimulatedPlatform>(std::move(scenario));
        desktop = simulated->desktop();
        // Read on the presser's queue; time moves only while no call is on its way there.
        desktop->setClock([this] { return executor.now().time_since_epoch(); });
        realVisibility = VisibilityController::create(executor, simulated->runtimeLoader(), selfID);
        timings.profile =
            makeProfile({{AppKey(murmurtask), Section::shown}, {AppKey(fernlight), Section::hidden}});
        apps->running = {selfID, murmurtask, fernlight};
        Coordinator& c = start();

        auto queue = std::make_shared<concurrency::SerialQueue>(ItemPresser::queueLabel());
        ItemPresser::OffMain runner = [queue, inFlight = inFlight](std::function<void()> job) {
            return counted(queue, inFlight, std::move(job));
        };
        realPresser = ItemPresser::create(
            executor, std::make_shared<SystemPressAccessibility>(simulated->services()), coordinator, {},
            concurrency::nowOf(executor), concurrency::defaultSleep(), runner);
        c.presser = realPresser;

        givenCollapsed();
        drive([&] { return Probe::applyTask(c).isFinished(); });
        EXPECT_EQ(realVisibility->currentPlan(), VisibilityPlan::allow({selfID, murmurtask}));
        EXPECT_TRUE(desktop->restriction().has_value());
        return c;
    }

    // Time moves only while nothing is on its way: no call on the presser's
    // queue, no completion of the restriction framework.
    void drive(const std::function<bool()>& done) {
        DesktopDrive{executor, *simulated->restrictionService(), [this] { return *inFlight > 0; }}.until(
            done, 10min);
    }

    std::optional<SimulatedDesktop::Window> window(std::uint32_t number) const {
        for (const auto& window : desktop->windows()) {
            if (window.number == number) {
                return window;
            }
        }
        return std::nullopt;
    }

    // The one press made, of `pid`'s item `index`, once it was placed (not before
    // `notBefore`); the window number of the menu it opened, which is on screen
    // and belongs to `menuOwner`. Nothing (and a failure) otherwise.
    std::optional<std::uint32_t> onlyPressOpenedMenu(std::int32_t pid, std::size_t index,
                                                     concurrency::Instant notBefore, std::int32_t menuOwner) {
        const auto presses = desktop->presses();
        EXPECT_EQ(presses.size(), 1u);
        if (presses.size() != 1 || !presses[0].menu) {
            ADD_FAILURE() << "not one press that opened a menu";
            return std::nullopt;
        }
        EXPECT_EQ(presses[0].processIdentifier, pid);
        EXPECT_EQ(presses[0].index, index);
        EXPECT_GE(presses[0].at, notBefore.time_since_epoch()) << "pressed once placed";
        const auto menu = window(*presses[0].menu);
        if (!menu) {
            ADD_FAILURE() << "the menu is not open";
            return std::nullopt;
        }
        EXPECT_EQ(menu->ownerProcessIdentifier, menuOwner);
        EXPECT_EQ(menu->layer, SimulatedDesktop::menuLayer);
        return presses[0].menu;
    }

    LogCapture logs;
    std::unique_ptr<platform::SimulatedPlatform> simulated;
    std::shared_ptr<SimulatedDesktop> desktop;
    std::shared_ptr<ItemPresser> realPresser;
    std::shared_ptr<int> inFlight = std::make_shared<int>(0);
};

TEST_F(DesktopPress, AHiddenItemPressedFromThePanelIsRevealedPressedAndHiddenAgainAsItsMenuCloses) {
    // Fernlight's items take 150 ms to come back to the bar.
    Coordinator& c = collapsedOver(defaultDesktopPlacingLate(fernlight, 150ms));
    const std::int32_t fernlightPid = 531;
    ASSERT_FALSE(onBar(*desktop, fernlight));
    const auto started = executor.now();

    // The focus timer, Fernlight's second item.
    auto handle = concurrency::spawn(
        executor, c.pressItem(core::BelowBarEntry{fernlight, 1, fernlightPid, std::nullopt},
                              coordinator::PressSource::belowBar));
    drive([&] { return handle.isFinished(); });
    ASSERT_TRUE(handle.result()->has_value());
    ASSERT_EQ(**handle.result(), PressOutcome::opened(core::PressMethod::revealPress));

    // Revealed, pressed on the bar, and its menu is a window of its process.
    EXPECT_TRUE(onBar(*desktop, fernlight));
    const auto menu = onlyPressOpenedMenu(fernlightPid, 1, started + 150ms, fernlightPid);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(logs.matching("アイコンが置かれるのを待ちました（com.example.fernlight・").size(), 1u);

    // The reveal lasts while the menu is open (4 s here) and ends soon
    // after, long before the coordinator's own deadline; the restriction hides
    // Fernlight again.
    drive([&] { return Probe::temporaryReveals(c).empty() && Probe::applyTask(c).isFinished(); });
    EXPECT_FALSE(onBar(*desktop, fernlight));
    EXPECT_FALSE(window(*menu).has_value());
    EXPECT_GE(executor.now() - started, 4s);
    EXPECT_LE(executor.now() - started, 4500ms);
    EXPECT_TRUE(c.isHidden(fernlight));
    EXPECT_TRUE(logs.contains("app", "一時的に見せたのを戻します（com.example.fernlight）"));
    EXPECT_EQ(*inFlight, 0);
}

TEST_F(DesktopPress, TheUserSwitchingItemIsPressedThroughALiftAndItsMenuOpensInTheControlCentre) {
    // The menu-bar agent takes 120 ms to put its item back.
    Coordinator& c = collapsedOver(defaultDesktopPlacingLate("com.apple.MenuBarAgent", 120ms));
    const auto service = simulated->restrictionService();
    const std::string agent = "com.apple.MenuBarAgent";
    const std::int32_t agentPid = 312;
    const std::int32_t controlCenterPid = 310;

    // The restriction keeps the user-switching item off the bar.
    EXPECT_FALSE(onBar(*desktop, agent));
    EXPECT_FALSE(onBar(*desktop, fernlight));
    EXPECT_TRUE(onBar(*desktop, "com.apple.controlcenter"));

    const auto started = executor.now();
    auto handle =
        concurrency::spawn(executor, realPresser->pressSystemItem(SystemItemTarget::userSwitcher()));
    drive([&] { return handle.isFinished(); });
    ASSERT_EQ(handle.result(), PressOutcome::opened(core::PressMethod::liftPress));

    // Lifted: the real item stands on the bar and was pressed there once placed.
    EXPECT_EQ(Probe::temporaryLifts(c).size(), 1u);
    EXPECT_FALSE(desktop->restriction().has_value());
    EXPECT_TRUE(onBar(*desktop, agent));
    // Its menu is a window of the control centre, not of the agent.
    const auto menu = onlyPressOpenedMenu(agentPid, 0, started + 120ms, controlCenterPid);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(logs.matching("制限を外して、本物が置かれました（com.apple.menuextra.user・待ち ").size(), 1u);
    EXPECT_TRUE(logs.contains("press", "本物のメニューが開きました（com.apple.menuextra.user）"));

    // The lift lasts while the menu is open (4 s here) and is given back
    // soon after; the restriction is in force again and the item leaves the bar.
    drive([&] { return Probe::temporaryLifts(c).empty() && Probe::applyTask(c).isFinished(); });
    const auto menuCloses = concurrency::Instant{} + desktop->presses().at(0).at + 80ms + 4s;
    EXPECT_GE(executor.now(), menuCloses);
    EXPECT_LE(executor.now(), menuCloses + 200ms);
    EXPECT_TRUE(logs.contains("app", "一時的に外した制限を戻します"));
    EXPECT_EQ(realVisibility->currentPlan(), VisibilityPlan::allow({selfID, murmurtask}));
    EXPECT_TRUE(desktop->restriction().has_value());
    EXPECT_FALSE(onBar(*desktop, agent));
    EXPECT_TRUE(realPresser->heldTicketIds().empty());
    EXPECT_EQ(service->gapCount(), 0u);
    EXPECT_EQ(*inFlight, 0);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
