#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"
#include "MenuBarSystem/Visibility/VisibilityController.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/FakeRevealer.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using concurrency::ManualExecutor;
using concurrency::Task;
using core::VisibilityPlan;
using platform::MenuBarRestriction;
using platform::SimulatedDesktop;

namespace {

// The fake revealer's bookkeeping, carried out on the simulated desktop: the bar
// shows the system items, the allowed applications and those revealed for now.
// (Reveals that the fake's own deadlines end are not carried out; the presses
// here give every reveal back well before.)
class DesktopRevealer final : public PressRevealing, public std::enable_shared_from_this<DesktopRevealer> {
public:
    DesktopRevealer(ManualExecutor& executor, std::shared_ptr<SimulatedDesktop> desktop,
                    std::set<std::string> allowed)
        : fake_(std::make_shared<pellacor::testing::FakeRevealer>(executor)), desktop_(std::move(desktop)),
          allowed_(std::move(allowed)) {
        fake_->setAllowed(allowed_);
        apply();
    }

    using PressRevealing::beginReveal;
    bool isHidden(const std::string& bundleID) override { return fake_->isHidden(bundleID); }
    Task<std::optional<RevealTicket>> beginReveal(std::string bundleID, RevealPurpose purpose) override {
        return reveal(shared_from_this(), std::move(bundleID), purpose);
    }
    Task<std::optional<RevealTicket>> beginLift() override { return fake_->beginLift(); }
    void endReveal(const RevealTicket& ticket) override {
        fake_->endReveal(ticket);
        apply();
    }

    const pellacor::testing::FakeRevealer& fake() const { return *fake_; }

private:
    static Task<std::optional<RevealTicket>> reveal(std::shared_ptr<DesktopRevealer> self,
                                                    std::string bundleID, RevealPurpose purpose) {
        auto ticket = co_await self->fake_->beginReveal(bundleID, purpose);
        self->apply();
        co_return ticket;
    }
    void apply() {
        auto allowed = allowed_;
        allowed.merge(fake_->temporarilyShown());
        desktop_->setRestriction(MenuBarRestriction{{0, 1, 2, 3, 4}, allowed});
    }

    std::shared_ptr<pellacor::testing::FakeRevealer> fake_;
    std::shared_ptr<SimulatedDesktop> desktop_;
    std::set<std::string> allowed_;
};

// Lifts the whole restriction through the visibility controller, as the
// coordinator does: a lift applies the unrestricted plan and gives a ticket once
// that is in force; giving the ticket back applies the restricted plan again.
class LiftingRevealer final : public PressRevealing, public std::enable_shared_from_this<LiftingRevealer> {
public:
    LiftingRevealer(ManualExecutor& executor, std::shared_ptr<VisibilityController> controller,
                    VisibilityPlan restricted)
        : executor_(executor), controller_(std::move(controller)), restricted_(std::move(restricted)) {}

    bool isHidden(const std::string&) override { return false; }
    Task<std::optional<RevealTicket>> beginReveal(std::string, RevealPurpose) override { return refuse(); }
    Task<std::optional<RevealTicket>> beginLift() override { return lift(shared_from_this()); }
    void endReveal(const RevealTicket& ticket) override {
        ends_.push_back(executor_.now());
        if (lifts_.erase(ticket.id) > 0) {
            restoring_ = concurrency::spawn(executor_, restore(shared_from_this()));
        }
    }

    // Applies the restricted plan; the result once it is in force.
    Task<SystemResult<VisibilityPlan>> restrict() { return controller_->apply(restricted_); }
    bool isLifted() const { return !lifts_.empty(); }
    const std::vector<concurrency::Instant>& ends() const { return ends_; }
    bool isRestored() const { return restoring_.isFinished() && restoring_.result() == true; }

private:
    static Task<std::optional<RevealTicket>> refuse() { co_return std::nullopt; }
    static Task<std::optional<RevealTicket>> lift(std::shared_ptr<LiftingRevealer> self) {
        const int id = ++self->serial_;
        self->lifts_.insert(id);
        const auto applied = co_await self->controller_->apply(VisibilityPlan::noRestriction());
        if (!applied.isOk() || !self->lifts_.contains(id) ||
            self->controller_->currentPlan() != VisibilityPlan::noRestriction()) {
            self->lifts_.erase(id);
            co_return std::nullopt;
        }
        co_return RevealTicket{id, {}};
    }
    static Task<bool> restore(std::shared_ptr<LiftingRevealer> self) {
        const auto applied = co_await self->restrict();
        co_return applied.isOk();
    }

    ManualExecutor& executor_;
    std::shared_ptr<VisibilityController> controller_;
    VisibilityPlan restricted_;
    int serial_ = 0;
    std::set<int> lifts_;
    std::vector<concurrency::Instant> ends_;
    concurrency::TaskHandle<bool> restoring_;
};

// The presser's own queue, counting the calls on their way so that the test
// moves virtual time only while none is.
Task<void> counted(std::shared_ptr<concurrency::SerialQueue> queue, std::shared_ptr<int> inFlight,
                   std::function<void()> job) {
    ++*inFlight;
    co_await queue->run(std::move(job));
    --*inFlight;
}

// The default desktop, with one application's items taking a while to be placed
// once a restriction change lets them show.
platform::Scenario defaultDesktopPlacingLate(const std::string& bundleID, std::chrono::milliseconds delay) {
    auto scenario = platform::Scenario::defaultScenario();
    for (auto& app : scenario.applications) {
        if (app.bundleIdentifier == bundleID) {
            app.placementDelay = delay;
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

TEST(PressEndToEndTest, AHiddenItemOfTheDefaultScenarioIsPressedThroughARevealAndItsMenuAppears) {
    ManualExecutor executor;
    pellacor::testing::LogCapture logs;
    // The default desktop, with Fernlight's items taking 150 ms to come back to the bar.
    platform::SimulatedPlatform simulated(defaultDesktopPlacingLate("com.example.fernlight", 150ms));
    const auto desktop = simulated.desktop();
    // Read on the presser's queue; time moves only while no call is on its way there.
    desktop->setClock([&executor] { return executor.now().time_since_epoch(); });

    const std::string fernlight = "com.example.fernlight";
    const std::int32_t fernlightPid = 531;
    auto revealer = std::make_shared<DesktopRevealer>(
        executor, desktop, std::set<std::string>{"app.trayvane.pellacor", "com.example.murmurtask"});
    ASSERT_FALSE(onBar(*desktop, fernlight));

    auto inFlight = std::make_shared<int>(0);
    auto queue = std::make_shared<concurrency::SerialQueue>(ItemPresser::queueLabel());
    ItemPresser::OffMain runner = [queue, inFlight](std::function<void()> job) {
        return counted(queue, inFlight, std::move(job));
    };
    auto presser =
        ItemPresser::create(executor, std::make_shared<SystemPressAccessibility>(simulated.services()),
                            revealer, {}, concurrency::nowOf(executor), concurrency::defaultSleep(), runner);
    const auto drive = [&](const std::function<bool()>& done) {
        for (;;) {
            executor.runUntilIdle();
            if (done()) {
                return;
            }
            if (*inFlight > 0) {
                ASSERT_TRUE(executor.waitForForeignWork(10s))
                    << "a call on the presser's queue never came back";
                continue;
            }
            const auto next = executor.nextDeadline();
            ASSERT_TRUE(next.has_value()) << "nothing left to wait for";
            executor.advanceTo(*next);
        }
    };

    // The focus timer, Fernlight's second item.
    auto handle = concurrency::spawn(executor, presser->press(PressTarget(fernlight, 1, fernlightPid)));
    drive([&] { return handle.isFinished(); });
    ASSERT_EQ(handle.result(), PressOutcome::opened(core::PressMethod::revealPress));

    // Revealed, pressed on the bar, and its menu is a window of its process.
    EXPECT_TRUE(onBar(*desktop, fernlight));
    const auto presses = desktop->presses();
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].processIdentifier, fernlightPid);
    EXPECT_EQ(presses[0].index, 1u);
    EXPECT_GE(presses[0].at, 150ms) << "pressed once placed";
    EXPECT_EQ(logs.matching("アイコンが置かれるのを待ちました（com.example.fernlight・").size(), 1u);
    ASSERT_TRUE(presses[0].menu.has_value());
    std::optional<SimulatedDesktop::Window> menu;
    for (const auto& window : desktop->windows()) {
        if (window.number == *presses[0].menu) {
            menu = window;
        }
    }
    ASSERT_TRUE(menu.has_value()) << "the menu is open";
    EXPECT_EQ(menu->ownerProcessIdentifier, fernlightPid);
    EXPECT_EQ(menu->layer, SimulatedDesktop::menuLayer);

    // The reveal lasts while the menu is open (4 s by default) and ends soon after.
    drive([&] { return revealer->fake().heldTickets().empty(); });
    EXPECT_FALSE(onBar(*desktop, fernlight));
    EXPECT_TRUE(desktop->windows().empty() ||
                desktop->windows().front().layer != SimulatedDesktop::menuLayer);
    EXPECT_GE(executor.now() - concurrency::Instant{}, 4s);
    EXPECT_LE(executor.now() - concurrency::Instant{}, 4500ms);
    EXPECT_EQ(*inFlight, 0);
}

TEST(PressEndToEndTest, TheUserSwitchingItemIsPressedThroughALiftAndItsMenuOpensInTheControlCentre) {
    ManualExecutor executor;
    pellacor::testing::LogCapture logs;
    // The default desktop, with the menu-bar agent taking 120 ms to put its item back.
    platform::SimulatedPlatform simulated(defaultDesktopPlacingLate("com.apple.MenuBarAgent", 120ms));
    const auto desktop = simulated.desktop();
    desktop->setClock([&executor] { return executor.now().time_since_epoch(); });
    const auto service = simulated.restrictionService();

    const std::string agent = "com.apple.MenuBarAgent";
    const std::int32_t agentPid = 312;
    const std::int32_t controlCenterPid = 310;
    const std::string self(core::bundleIdentifier);
    auto controller = VisibilityController::create(executor, simulated.runtimeLoader(), self);
    auto revealer = std::make_shared<LiftingRevealer>(
        executor, controller, VisibilityPlan::allow({self, "com.example.murmurtask"}));

    auto inFlight = std::make_shared<int>(0);
    auto queue = std::make_shared<concurrency::SerialQueue>(ItemPresser::queueLabel());
    ItemPresser::OffMain runner = [queue, inFlight](std::function<void()> job) {
        return counted(queue, inFlight, std::move(job));
    };
    auto presser =
        ItemPresser::create(executor, std::make_shared<SystemPressAccessibility>(simulated.services()),
                            revealer, {}, concurrency::nowOf(executor), concurrency::defaultSleep(), runner);
    // Time moves only while nothing is on its way: no call on the presser's
    // queue, no completion of the restriction framework.
    const auto drive = [&](const std::function<bool()>& done) {
        for (;;) {
            executor.runUntilIdle();
            service->waitForDeliveries();
            executor.runUntilIdle();
            if (done()) {
                return;
            }
            if (*inFlight > 0) {
                ASSERT_TRUE(executor.waitForForeignWork(10s))
                    << "a call on the presser's queue never came back";
                continue;
            }
            const auto next = executor.nextDeadline();
            ASSERT_TRUE(next.has_value()) << "nothing left to wait for";
            executor.advanceTo(*next);
        }
    };

    // A restriction is active: the user-switching item is off the bar, the clock stays.
    auto restricting = concurrency::spawn(executor, revealer->restrict());
    drive([&] { return restricting.isFinished(); });
    ASSERT_TRUE(restricting.result()->isOk()) << toString(*restricting.result());
    ASSERT_TRUE(desktop->restriction().has_value());
    EXPECT_FALSE(onBar(*desktop, agent));
    EXPECT_FALSE(onBar(*desktop, "com.example.fernlight"));
    EXPECT_TRUE(onBar(*desktop, "com.apple.controlcenter"));

    const auto started = executor.now();
    auto handle = concurrency::spawn(executor, presser->pressSystemItem(SystemItemTarget::userSwitcher()));
    drive([&] { return handle.isFinished(); });
    ASSERT_EQ(handle.result(), PressOutcome::opened(core::PressMethod::liftPress));

    // Lifted: the real item stands on the bar and was pressed there once placed.
    EXPECT_TRUE(revealer->isLifted());
    EXPECT_FALSE(desktop->restriction().has_value());
    EXPECT_TRUE(onBar(*desktop, agent));
    const auto presses = desktop->presses();
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].processIdentifier, agentPid);
    EXPECT_EQ(presses[0].index, 0u);
    EXPECT_GE(presses[0].at, started.time_since_epoch() + 120ms) << "pressed once placed";
    EXPECT_EQ(logs.matching("制限を外して、本物が置かれました（com.apple.menuextra.user・待ち ").size(), 1u);
    EXPECT_TRUE(logs.contains("press", "本物のメニューが開きました（com.apple.menuextra.user）"));

    // Its menu is a window of the control centre, not of the agent.
    ASSERT_TRUE(presses[0].menu.has_value());
    std::optional<SimulatedDesktop::Window> menu;
    for (const auto& window : desktop->windows()) {
        if (window.number == *presses[0].menu) {
            menu = window;
        }
    }
    ASSERT_TRUE(menu.has_value()) << "the menu is open";
    EXPECT_EQ(menu->ownerProcessIdentifier, controlCenterPid);
    EXPECT_EQ(menu->layer, SimulatedDesktop::menuLayer);

    // The lift lasts while the menu is open (4 s by default) and is given back
    // soon after; the restriction is in force again and the item leaves the bar.
    drive([&] { return revealer->isRestored(); });
    ASSERT_EQ(revealer->ends().size(), 1u);
    const auto menuCloses = concurrency::Instant{} + presses[0].at + 80ms + 4s;
    EXPECT_GE(revealer->ends()[0], menuCloses);
    EXPECT_LE(revealer->ends()[0], menuCloses + 200ms);
    EXPECT_FALSE(revealer->isLifted());
    EXPECT_TRUE(desktop->restriction().has_value());
    EXPECT_FALSE(onBar(*desktop, agent));
    EXPECT_TRUE(presser->heldTicketIds().empty());
    EXPECT_EQ(service->gapCount(), 0u);
    EXPECT_EQ(*inFlight, 0);
}

} // namespace
