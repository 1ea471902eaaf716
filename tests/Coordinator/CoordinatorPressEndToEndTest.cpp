#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "Support/CoordinatorFixture.h"
#include "Support/FakePressAccessibility.h"
#include "Support/PressPrinters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using concurrency::Duration;
using concurrency::Instant;
using core::AppKey;
using core::Section;
using core::VisibilityPlan;
using system::ItemPresser;
using system::PressCall;
using system::PressOutcome;
using ::testing::Contains;
using ::testing::IsEmpty;

// The real presser over scripted system operations, with the coordinator as its
// revealer, over the coordinator's fake services: an item is on the bar (and
// opens its menu when pressed) only while the plan in force lets its
// application through.
class PressEndToEnd : public CoordinatorFixture {
protected:
    static constexpr const char* shown = "com.example.shown";
    static constexpr const char* hidden = "com.example.hidden";
    static constexpr std::int32_t hiddenPid = 41;
    static constexpr Duration menuOpenFor = 2s;

    PressEndToEnd() {
        timings.profile = makeProfile({{AppKey(shown), Section::shown}, {AppKey(hidden), Section::hidden}});
        apps->running = {shown, hidden};
        accessibility->setProcesses(hidden, {hiddenPid});
        accessibility->setPlacement([this](std::int32_t, int) { return std::optional<bool>(!barHides()); });
        accessibility->setPressHook([this](const FakePressAccessibility::Call& call) {
            pressedWhileShown.push_back(!barHides());
            if (!barHides()) {
                accessibility->addWindow(call.pid, 700, call.at + 80ms, call.at + 80ms + menuOpenFor);
            }
            return PressCall::sent(0);
        });
    }

    bool barHides() const {
        const auto plan = visibility->currentPlan();
        const auto* allowed = plan.allowedBundleIDs();
        return allowed != nullptr && std::find(allowed->begin(), allowed->end(), hidden) == allowed->end();
    }

    Coordinator& collapsedWithPresser() {
        Coordinator& c = start();
        givenCollapsed();
        executor.runUntilIdle();
        realPresser = ItemPresser::create(executor, accessibility, coordinator, ItemPresser::Settings{},
                                          concurrency::nowOf(executor), concurrency::defaultSleep(),
                                          FakePressAccessibility::inlineRunner());
        c.presser = realPresser;
        take();
        return c;
    }

    // Runs timers in order until `done`.
    void runUntil(const std::function<bool()>& done) {
        executor.runUntilIdle();
        while (!done()) {
            const auto next = executor.nextDeadline();
            ASSERT_TRUE(next.has_value()) << "nothing left to wait for";
            executor.advanceTo(*next);
        }
    }

    std::shared_ptr<FakePressAccessibility> accessibility =
        std::make_shared<FakePressAccessibility>(concurrency::nowOf(executor));
    std::shared_ptr<ItemPresser> realPresser;
    std::vector<bool> pressedWhileShown;
};

TEST_F(PressEndToEnd, AHiddenItemIsRevealedPressedAndHiddenAgainWhenItsMenuCloses) {
    Coordinator& c = collapsedWithPresser();
    ASSERT_TRUE(c.isHidden(hidden));

    auto press =
        concurrency::spawn(executor, c.pressItem(core::BelowBarEntry{hidden, 0, hiddenPid, std::nullopt},
                                                 coordinator::PressSource::belowBar));
    runUntil([&] { return press.isFinished(); });
    ASSERT_TRUE(press.result().has_value());
    ASSERT_TRUE(press.result()->has_value());
    EXPECT_EQ(**press.result(), PressOutcome::opened(core::PressMethod::revealPress));
    // Pressed once, on the bar, once revealed and placed.
    EXPECT_EQ(pressedWhileShown, (std::vector<bool>{true}));
    EXPECT_FALSE(c.isHidden(hidden)) << "kept shown while the menu is open";
    EXPECT_EQ(Probe::temporaryReveals(c).size(), 1u);
    EXPECT_FALSE(Probe::isPressingItem(c));

    // The menu closes; the presser gives the reveal back well before the
    // coordinator's own 15 s deadline, and the application is hidden again.
    runUntil([&] { return Probe::temporaryReveals(c).empty(); });
    EXPECT_LT(executor.now() - Instant{}, 15s);
    EXPECT_TRUE(c.isHidden(hidden));
    EXPECT_THAT(Probe::revealDeadlines(c), IsEmpty());
    EXPECT_TRUE(realPresser->heldTicketIds().empty());
    EXPECT_EQ(visibility->currentPlan(), VisibilityPlan::allow({"app.trayvane.pellacor", shown}));
    const auto lines = logLines();
    EXPECT_THAT(lines, Contains("log(info) 押すために一時的に見せます（com.example.hidden）"));
    EXPECT_THAT(lines, Contains("log(info) 一時的に見せたのを戻します（com.example.hidden）"));
    EXPECT_THAT(lines, Contains(::testing::StartsWith(
                           "log(info) 下の段から押した結果（com.example.hidden・opened(revealPress)・")));
}

TEST_F(PressEndToEnd, AnItemLeftShownAfterAFailedPressIsHiddenByTheCoordinatorsDeadlineAtTheLatest) {
    // No press opens anything: the presser leaves the application shown for the
    // user; the reveal ends within the coordinator's 100 s.
    accessibility->setPressHook([this](const FakePressAccessibility::Call&) {
        pressedWhileShown.push_back(!barHides());
        return PressCall::sent(0);
    });
    Coordinator& c = collapsedWithPresser();
    auto press =
        concurrency::spawn(executor, c.pressItem(core::BelowBarEntry{hidden, 0, hiddenPid, std::nullopt},
                                                 coordinator::PressSource::search));
    runUntil([&] { return press.isFinished(); });
    EXPECT_EQ(**press.result(), PressOutcome::notOpened());
    EXPECT_FALSE(c.isHidden(hidden)) << "left shown";

    runUntil([&] { return Probe::temporaryReveals(c).empty(); });
    EXPECT_LE(executor.now() - Instant{}, 100s + 30s);
    EXPECT_TRUE(c.isHidden(hidden));
    EXPECT_THAT(revealSleeps, Contains(100s));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
