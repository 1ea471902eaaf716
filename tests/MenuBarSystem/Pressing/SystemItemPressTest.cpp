#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "Support/PresserFixture.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;
using core::LogLevel;
using core::PressMethod;
using pellacor::testing::FakePressAccessibility;
using CallKind = FakePressAccessibility::Call::Kind;

namespace {

// The system's user-switching item, owned by the menu-bar agent (process 312);
// its menu is a window of the control centre (process 310). The item is in the
// accessibility tree only while the restriction is lifted.
class SystemItemPressTest : public pellacor::testing::PresserFixture {
protected:
    static constexpr const char* agent = "com.apple.MenuBarAgent";
    static constexpr const char* controlCenter = "com.apple.controlcenter";
    static constexpr std::int32_t agentPid = 312;
    static constexpr std::int32_t controlPid = 310;
    const std::string user = "com.apple.menuextra.user";

    SystemItemPressTest() {
        accessibility->setProcesses(agent, {agentPid});
        accessibility->setProcesses(controlCenter, {controlPid});
        revealer->setAllowed({app});
        accessibility->setLookup([this](std::int32_t, const std::string& identifier) {
            if (!revealer->isLifted()) {
                return SystemItemLookup::absent();
            }
            return identifier == user ? SystemItemLookup::found(0) : SystemItemLookup::absent();
        });
        // Placed once lifted for `placedAfter`.
        accessibility->setPlacement([this](std::int32_t, int) { return elapsed() >= placedAfter; });
    }

    concurrency::TaskHandle<PressOutcome>
    startSystem(SystemItemTarget target = SystemItemTarget::userSwitcher()) {
        return concurrency::spawn(executor, presser->pressSystemItem(std::move(target)));
    }
    PressOutcome pressSystem(SystemItemTarget target = SystemItemTarget::userSwitcher()) {
        auto handle = startSystem(std::move(target));
        finish(handle);
        return handle.result().value_or(PressOutcome::notFound());
    }

    // Every press opens a window of process `owner` after `delay`, open for `openFor`.
    void pressesOpenMenusIn(std::int32_t owner, Duration delay, std::optional<Duration> openFor) {
        accessibility->setPressHook([this, owner, delay, openFor](const FakePressAccessibility::Call& call) {
            const Instant opens = call.at + delay;
            accessibility->addWindow(owner, nextWindow++, opens,
                                     openFor ? std::optional<Instant>(opens + *openFor) : std::nullopt);
            return PressCall::sent(0);
        });
    }

    // The processes whose windows made up the baseline: those read after the last
    // placement test and before the press.
    std::vector<std::int32_t> baselinePids() const {
        std::vector<std::int32_t> pids;
        for (const auto& call : accessibility->calls()) {
            if (call.kind == CallKind::isPlaced) {
                pids.clear();
            } else if (call.kind == CallKind::windows) {
                pids.push_back(call.pid);
            } else if (call.kind == CallKind::pressIdentifier || call.kind == CallKind::pressIndex) {
                break;
            }
        }
        return pids;
    }

    std::string notPlaced(const std::string& lookup) const {
        return "制限を外しても、本物が置かれませんでした（" + user + "・" + lookup + "）";
    }

    Duration placedAfter = 0ms;
};

TEST_F(SystemItemPressTest, TheRealItemIsPressedWhileLiftedAndAMenuOfAnotherProcessCounts) {
    placedAfter = 40ms;
    // A control-centre window that was open before never counts.
    accessibility->addWindow(controlPid, 7, at(0s));
    // The menu opens 100 ms after the press in the control centre and closes 5 s later.
    pressesOpenMenusIn(controlPid, 100ms, 5s);
    ASSERT_FALSE(revealer->isLifted());

    EXPECT_EQ(pressSystem(), PressOutcome::opened(PressMethod::liftPress));
    EXPECT_EQ(elapsed(), 140ms);

    const auto presses = accessibility->presses();
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].kind, CallKind::pressIdentifier) << "pressed by its identifier";
    EXPECT_EQ(presses[0].pid, agentPid);
    EXPECT_EQ(presses[0].text, user);
    EXPECT_EQ(presses[0].timeout, 0.1F);
    EXPECT_EQ(presses[0].at, at(40ms)) << "pressed once placed";
    const auto lookups = accessibility->calls(CallKind::lookup);
    ASSERT_EQ(lookups.size(), 3u) << "looked up every 20 ms until placed";
    EXPECT_EQ(lookups[0].at, at(0ms));
    EXPECT_EQ(lookups[2].at, at(40ms));
    EXPECT_EQ(baselinePids(), (std::vector<std::int32_t>{agentPid, controlPid}));

    // The lift stays while the menu is open and is given back within 200 ms of it closing.
    const auto lifts = revealerCalls(Kind::beginLift);
    ASSERT_EQ(lifts.size(), 1u);
    const RevealTicket ticket = *lifts[0].ticket;
    EXPECT_TRUE(ticket.bundleID.empty());
    EXPECT_TRUE(revealer->isLifted());
    EXPECT_EQ(presser->heldTicketIds(), (std::vector<int>{ticket.id}));
    runFor(5100ms - elapsed());
    EXPECT_TRUE(revealer->isLifted()) << "the menu is still open";
    runOut();
    const auto ends = revealerCalls(Kind::endReveal);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].ticket, ticket);
    EXPECT_TRUE(ends[0].result);
    EXPECT_GE(ends[0].at, at(5140ms));
    EXPECT_LE(ends[0].at, at(5340ms));
    EXPECT_TRUE(presser->heldTicketIds().empty());

    const std::string placed = "制限を外して、本物が置かれました（com.apple.menuextra.user・待ち 40 ms）";
    const std::string opened = "本物のメニューが開きました（com.apple.menuextra.user）";
    EXPECT_EQ(pressLog(), (std::vector<std::string>{placed, opened}));
    EXPECT_EQ(levelOf(placed), LogLevel::info);
    EXPECT_EQ(levelOf(opened), LogLevel::info);
    EXPECT_TRUE(presser->memory().worked.empty()) << "nothing to remember for a system item";
}

TEST_F(SystemItemPressTest, AnItemPlacedOrWithAnUnreadableFrameAtTheFirstLookIsPressedAtOnce) {
    for (const std::optional<bool> placement : {std::optional<bool>(true), std::optional<bool>()}) {
        accessibility->setPlacement([placement](std::int32_t, int) { return placement; });
        accessibility->clearCalls();
        logs.clear();
        pressesOpenMenusIn(controlPid, 0ms, 1s);
        const Duration started = elapsed();
        EXPECT_EQ(pressSystem(), PressOutcome::opened(PressMethod::liftPress));
        EXPECT_EQ(elapsed(), started) << "no sleep";
        EXPECT_EQ(accessibility->calls(CallKind::lookup).size(), 1u);
        ASSERT_FALSE(pressLog().empty());
        EXPECT_EQ(pressLog().front(),
                  "制限を外して、本物が置かれました（com.apple.menuextra.user・待ち 0 ms）");
        runOut();
    }
    EXPECT_TRUE(revealer->heldTickets().empty());
}

TEST_F(SystemItemPressTest, TheWatchListIsTheOwnersFirstProcessAndThoseOfTheMenuOwners) {
    struct Case {
        const char* name;
        std::vector<std::string> menuOwners;
        std::vector<std::int32_t> watched;
    };
    accessibility->setProcesses(agent, {agentPid, 313});
    accessibility->setProcesses(controlCenter, {controlPid, 311});
    const std::vector<Case> cases = {
        {"another process", {controlCenter}, {agentPid, controlPid, 311}},
        {"the owner among the menu owners", {agent, controlCenter}, {agentPid, 313, controlPid, 311}},
        {"no menu owners", {}, {agentPid}},
        {"not running", {"com.example.gone"}, {agentPid}},
    };
    for (const Case& c : cases) {
        accessibility->clearCalls();
        // The menu opens in the last watched process.
        pressesOpenMenusIn(c.watched.back(), 50ms, 1s);
        EXPECT_EQ(pressSystem(SystemItemTarget(agent, user, c.menuOwners)),
                  PressOutcome::opened(PressMethod::liftPress))
            << c.name;
        EXPECT_EQ(baselinePids(), c.watched) << c.name;
        for (const auto& call : accessibility->calls()) {
            if (call.kind == CallKind::lookup || call.kind == CallKind::isPlaced ||
                call.kind == CallKind::pressIdentifier) {
                EXPECT_EQ(call.pid, agentPid)
                    << c.name << ": only the first process is looked up and pressed";
            }
        }
        runOut();
    }
}

TEST_F(SystemItemPressTest, APressThatCannotStartSaysWhyAndHoldsNoLift) {
    const std::string refused = "一時的に制限を外せませんでした（com.apple.MenuBarAgent）";
    struct Case {
        const char* name;
        std::function<void()> setUp;
        PressOutcome outcome;
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {"untrusted",
         [this] { accessibility->setTrusted(false); },
         PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission),
         {}},
        {"owner not running",
         [this] { accessibility->setProcesses(agent, {}); },
         PressOutcome::unavailable(UnavailableReason::systemError(0)),
         {}},
        {"lift refused",
         [this] { revealer->setLiftFails(true); },
         PressOutcome::unavailable(UnavailableReason::restrictionRejected),
         {refused}},
        {"revealer shut down",
         [this] { revealer->setShutDown(true); },
         PressOutcome::unavailable(UnavailableReason::restrictionRejected),
         {refused}},
        {"no revealer",
         [this] {
             presser = ItemPresser::create(executor, accessibility, std::weak_ptr<PressRevealing>(), {},
                                           concurrency::nowOf(executor), concurrency::defaultSleep(),
                                           FakePressAccessibility::inlineRunner());
         },
         PressOutcome::unavailable(UnavailableReason::restrictionRejected),
         {refused}},
    };
    for (const Case& c : cases) {
        accessibility->setTrusted(true);
        accessibility->setProcesses(agent, {agentPid});
        revealer->setLiftFails(false);
        revealer->setShutDown(false);
        accessibility->clearCalls();
        logs.clear();
        c.setUp();
        EXPECT_EQ(pressSystem(), c.outcome) << c.name;
        EXPECT_TRUE(accessibility->calls(CallKind::lookup).empty()) << c.name;
        EXPECT_TRUE(accessibility->presses().empty()) << c.name;
        EXPECT_EQ(pressLog(), c.log) << c.name;
        EXPECT_FALSE(revealer->isLifted()) << c.name;
    }
    EXPECT_EQ(levelOf(refused), LogLevel::defaultLevel);
    EXPECT_TRUE(revealerCalls(Kind::endReveal).empty()) << "no ticket, nothing to give back";
}

TEST_F(SystemItemPressTest, AnItemThatIsNotPlacedWithinTwoSecondsGivesTheLiftBack) {
    struct Case {
        const char* name;
        SystemItemLookup lookup;
        std::optional<bool> placed;
        PressOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"absent", SystemItemLookup::absent(), true, PressOutcome::notFound()},
        {"unreadable", SystemItemLookup::unreadable(), true,
         PressOutcome::unavailable(UnavailableReason::systemError(0))},
        {"found(1)", SystemItemLookup::found(1), false,
         PressOutcome::unavailable(UnavailableReason::systemError(0))},
    };
    for (const Case& c : cases) {
        accessibility->setLookup([&c](std::int32_t, const std::string&) { return c.lookup; });
        accessibility->setPlacement([&c](std::int32_t, int) { return c.placed; });
        accessibility->clearCalls();
        revealer->clearCalls();
        logs.clear();
        const Duration started = elapsed();

        EXPECT_EQ(pressSystem(), c.outcome) << c.name;
        EXPECT_EQ(elapsed(), started + 2s) << c.name;
        EXPECT_EQ(accessibility->calls(CallKind::lookup).size(), 101u) << c.name << ": every 20 ms";
        EXPECT_TRUE(accessibility->presses().empty()) << c.name;
        const auto ends = revealerCalls(Kind::endReveal);
        ASSERT_EQ(ends.size(), 1u) << c.name;
        EXPECT_EQ(ends[0].at, at(started + 2s)) << c.name;
        EXPECT_TRUE(ends[0].result) << c.name;
        EXPECT_EQ(pressLog(), (std::vector<std::string>{notPlaced(c.name)}));
        EXPECT_EQ(levelOf(notPlaced(c.name)), LogLevel::defaultLevel);
    }
    EXPECT_FALSE(revealer->isLifted());
}

TEST_F(SystemItemPressTest, IdentifiersThatBecomeReadableLateAreFoundBeforeTheLimit) {
    accessibility->setLookup([this](std::int32_t, const std::string&) {
        return elapsed() >= 1500ms ? SystemItemLookup::found(0) : SystemItemLookup::unreadable();
    });
    pressesOpenMenusIn(controlPid, 0ms, 1s);
    EXPECT_EQ(pressSystem(), PressOutcome::opened(PressMethod::liftPress));
    ASSERT_EQ(accessibility->presses().size(), 1u);
    EXPECT_EQ(accessibility->presses()[0].at, at(1500ms));
    ASSERT_FALSE(pressLog().empty());
    EXPECT_EQ(pressLog().front(),
              "制限を外して、本物が置かれました（com.apple.menuextra.user・待ち 1500 ms）");
}

TEST_F(SystemItemPressTest, APressThatOpensNothingGivesTheLiftBackAtOnce) {
    struct Case {
        const char* name;
        PressCall answer;
        PressOutcome outcome;
        Duration ended;
        std::vector<std::string> log;
    };
    const std::string placed = "制限を外して、本物が置かれました（com.apple.menuextra.user・待ち 0 ms）";
    const std::string nothing = "本物を押しても開きませんでした（com.apple.menuextra.user）";
    const std::vector<Case> cases = {
        {"item gone at the press", PressCall::noItem(), PressOutcome::notFound(), 0s, {placed}},
        {"nothing opens", PressCall::sent(0), PressOutcome::notOpened(), 3s, {placed, nothing}},
        {"cannot complete counts as sent",
         PressCall::sent(-25204),
         PressOutcome::notOpened(),
         3s,
         {placed, nothing}},
        {"press failed",
         PressCall::failed(-25200),
         PressOutcome::notOpened(),
         0s,
         {placed, "押せませんでした（com.apple.MenuBarAgent・AX -25200）", nothing}},
    };
    for (const Case& c : cases) {
        const PressCall answer = c.answer;
        accessibility->setPressHook([answer](const FakePressAccessibility::Call&) { return answer; });
        revealer->clearCalls();
        logs.clear();
        const Duration started = elapsed();

        EXPECT_EQ(pressSystem(), c.outcome) << c.name;
        EXPECT_EQ(elapsed(), started + c.ended) << c.name;
        const auto ends = revealerCalls(Kind::endReveal);
        ASSERT_EQ(ends.size(), 1u) << c.name;
        EXPECT_EQ(ends[0].at, at(started + c.ended)) << c.name << ": the restriction is back at once";
        EXPECT_TRUE(ends[0].result) << c.name;
        EXPECT_FALSE(revealer->isLifted()) << c.name;
        EXPECT_TRUE(presser->heldTicketIds().empty()) << c.name;
        EXPECT_EQ(pressLog(), c.log) << c.name;
    }
    EXPECT_EQ(levelOf(nothing), LogLevel::defaultLevel);
}

TEST_F(SystemItemPressTest, AnUnreadableWindowListAfterPlacementGivesTheLiftBackWithoutAPress) {
    accessibility->setWindowListReadable(false);
    EXPECT_EQ(pressSystem(), PressOutcome::unavailable(UnavailableReason::systemError(0)));
    EXPECT_TRUE(accessibility->presses().empty());
    EXPECT_EQ(revealerCalls(Kind::endReveal).size(), 1u);
    EXPECT_FALSE(revealer->isLifted());
    EXPECT_EQ(pressLog(), (std::vector<std::string>{
                              "制限を外して、本物が置かれました（com.apple.menuextra.user・待ち 0 ms）"}));
}

TEST_F(SystemItemPressTest, AMenuLeftOpenKeepsTheLiftForLiftHoldAtMost) {
    pressesOpenMenusIn(controlPid, 100ms, std::nullopt);
    EXPECT_EQ(pressSystem(), PressOutcome::opened(PressMethod::liftPress));
    const Duration holdStart = elapsed();
    runOut();
    const auto ends = revealerCalls(Kind::endReveal);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].at, at(holdStart + 30s));
    EXPECT_TRUE(ends[0].result) << "given back before the revealer's own 40 s deadline";
}

TEST_F(SystemItemPressTest, CancellingTheCallerEndsThePlacementLoopAtOnce) {
    struct Case {
        const char* name;
        SystemItemLookup lookup;
        PressOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"absent", SystemItemLookup::absent(), PressOutcome::notFound()},
        {"found(0)", SystemItemLookup::found(0),
         PressOutcome::unavailable(UnavailableReason::systemError(0))},
    };
    accessibility->setPlacement([](std::int32_t, int) { return false; });
    for (const Case& c : cases) {
        accessibility->setLookup([&c](std::int32_t, const std::string&) { return c.lookup; });
        accessibility->clearCalls();
        revealer->clearCalls();
        logs.clear();
        const Duration started = elapsed();

        auto handle = startSystem();
        executor.runUntilIdle();
        runFor(500ms);
        handle.cancel();
        finish(handle);
        EXPECT_EQ(handle.result(), c.outcome) << c.name;
        EXPECT_EQ(elapsed(), started + 500ms) << c.name;
        EXPECT_TRUE(accessibility->presses().empty()) << c.name;
        const auto ends = revealerCalls(Kind::endReveal);
        ASSERT_EQ(ends.size(), 1u) << c.name;
        EXPECT_EQ(ends[0].at, at(started + 500ms)) << c.name;
        EXPECT_EQ(pressLog(), (std::vector<std::string>{notPlaced(c.name)})) << c.name;
    }
    EXPECT_FALSE(revealer->isLifted());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
