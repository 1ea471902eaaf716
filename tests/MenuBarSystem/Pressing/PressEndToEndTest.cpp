#include "Concurrency/ManualExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/FakeRevealer.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using concurrency::ManualExecutor;
using concurrency::Task;
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

// The presser's own queue, counting the calls on their way so that the test
// moves virtual time only while none is.
Task<void> counted(std::shared_ptr<int> inFlight, std::function<void()> job) {
    ++*inFlight;
    co_await ItemPresser::queue().run(std::move(job));
    --*inFlight;
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
    auto scenario = platform::Scenario::defaultScenario();
    for (auto& app : scenario.applications) {
        if (app.bundleIdentifier == "com.example.fernlight") {
            app.placementDelay = 150ms;
        }
    }
    platform::SimulatedPlatform simulated(scenario);
    const auto desktop = simulated.desktop();
    // Read on the presser's queue; time moves only while no call is on its way there.
    desktop->setClock([&executor] { return executor.now().time_since_epoch(); });

    const std::string fernlight = "com.example.fernlight";
    const std::int32_t fernlightPid = 531;
    auto revealer = std::make_shared<DesktopRevealer>(
        executor, desktop, std::set<std::string>{"app.trayvane.pellacor", "com.example.murmurtask"});
    ASSERT_FALSE(onBar(*desktop, fernlight));

    auto inFlight = std::make_shared<int>(0);
    ItemPresser::OffMain runner = [inFlight](std::function<void()> job) {
        return counted(inFlight, std::move(job));
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

} // namespace
