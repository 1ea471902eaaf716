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

class ItemPresserTest : public pellacor::testing::PresserFixture {
protected:
    std::vector<Duration> timesOf(CallKind kind) const {
        std::vector<Duration> times;
        for (const auto& call : accessibility->calls(kind)) {
            times.push_back(call.at - Instant{});
        }
        return times;
    }
    // Makes the presser remember the hidden press for the application (the
    // revealed press opens nothing, the hidden one opens a menu), then clears
    // the scripts and records.
    void rememberHiddenPress() {
        revealer->setHidden({app});
        auto count = std::make_shared<int>(0);
        accessibility->setPressHook([this, count](const FakePressAccessibility::Call& call) {
            if (++*count > 1) {
                accessibility->addWindow(call.pid, nextWindow++, call.at + 100ms, call.at + 1s);
            }
            return PressCall::sent(0);
        });
        ASSERT_EQ(press(), PressOutcome::opened(PressMethod::hiddenPress));
        ASSERT_EQ(presser->memory().remembered(app), PressMethod::hiddenPress);
        runOut();
        accessibility->setPressHook({});
        revealer->clearCalls();
        accessibility->clearCalls();
        logs.clear();
    }
    // How often each ticket was given back.
    std::map<int, int> endsPerTicket() const {
        std::map<int, int> ends;
        for (const auto& call : revealerCalls(Kind::endReveal)) {
            ++ends[call.ticket->id];
        }
        return ends;
    }
};

TEST_F(ItemPresserTest, AShownItemIsPressedDirectlyAndItsNewWindowIsTheMenu) {
    // A window that was open before the press never counts as the menu.
    accessibility->addWindow(pid, 7, at(0s));
    pressesOpenMenus(100ms, 2s);

    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::direct));
    EXPECT_EQ(elapsed(), 100ms);

    const auto presses = accessibility->presses();
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].kind, CallKind::pressIndex);
    EXPECT_EQ(presses[0].pid, pid);
    EXPECT_EQ(presses[0].index, 0);
    EXPECT_EQ(presses[0].timeout, 0.1F);
    // The baseline, then a look right after the press and every 50 ms until the menu shows.
    EXPECT_EQ(timesOf(CallKind::windows), (std::vector<Duration>{0ms, 0ms, 50ms, 100ms}));

    EXPECT_TRUE(revealerCalls(Kind::beginReveal).empty());
    EXPECT_TRUE(presser->memory().worked.empty()) << "a direct press is not worth remembering";
    EXPECT_EQ(pressLog(), (std::vector<std::string>{"開きました（com.example.a・direct）"}));
    EXPECT_EQ(levelOf("開きました（com.example.a・direct）"), LogLevel::info);
}

TEST_F(ItemPresserTest, ThePressGoesToARunningProcessOfTheApplication) {
    accessibility->setProcesses(app, {11, 12});
    pressesOpenMenus(0ms, 1s);
    struct Case {
        std::optional<std::int32_t> given;
        std::int32_t pressed;
    };
    for (const Case c : {Case{12, 12}, Case{99, 11}, Case{std::nullopt, 11}}) {
        accessibility->clearCalls();
        EXPECT_EQ(press(target(0, c.given)), PressOutcome::opened(PressMethod::direct));
        ASSERT_EQ(accessibility->presses().size(), 1u);
        EXPECT_EQ(accessibility->presses()[0].pid, c.pressed) << c.given.value_or(0);
        runOut();
    }
}

TEST_F(ItemPresserTest, APressThatCannotStartSaysWhy) {
    struct Case {
        const char* name;
        std::function<void(FakePressAccessibility&)> setUp;
        PressOutcome outcome;
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {"untrusted",
         [](FakePressAccessibility& fake) { fake.setTrusted(false); },
         PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission),
         {}},
        {"not running",
         [](FakePressAccessibility& fake) { fake.setProcesses(app, {}); },
         PressOutcome::notFound(),
         {}},
        {"unreadable windows",
         [](FakePressAccessibility& fake) { fake.setWindowListReadable(false); },
         PressOutcome::unavailable(UnavailableReason::systemError(0)),
         {"窓の一覧が読めないので押しません（com.example.a）"}},
    };
    for (const Case& c : cases) {
        auto fake = std::make_shared<FakePressAccessibility>(concurrency::nowOf(executor));
        fake->setProcesses(app, {pid});
        c.setUp(*fake);
        presser = ItemPresser::create(executor, fake, revealer, {}, concurrency::nowOf(executor),
                                      concurrency::defaultSleep(), FakePressAccessibility::inlineRunner());
        logs.clear();
        EXPECT_EQ(press(), c.outcome) << c.name;
        EXPECT_TRUE(fake->presses().empty()) << c.name;
        EXPECT_EQ(pressLog(), c.log) << c.name;
    }
    EXPECT_EQ(levelOf("窓の一覧が読めないので押しません（com.example.a）"), LogLevel::defaultLevel);
    EXPECT_TRUE(revealerCalls(Kind::beginReveal).empty());
}

TEST_F(ItemPresserTest, AHiddenItemIsRevealedPlacedPressedAndHeldWhileItsMenuIsOpen) {
    revealer->setHidden({app});
    // Placed at the fourth look, 60 ms after the reveal.
    int looks = 0;
    accessibility->setPlacement([&](std::int32_t, int) { return ++looks >= 4; });
    // Opens 100 ms after the press and closes 3.05 s later, at 3.21 s.
    pressesOpenMenus(100ms, 3050ms);

    auto handle = start();
    finish(handle);
    EXPECT_EQ(handle.result(), PressOutcome::opened(PressMethod::revealPress));
    EXPECT_EQ(elapsed(), 160ms);
    EXPECT_EQ(timesOf(CallKind::pressIndex), (std::vector<Duration>{60ms}));
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::revealPress);

    const auto reveals = revealerCalls(Kind::beginReveal);
    ASSERT_EQ(reveals.size(), 1u);
    EXPECT_EQ(reveals[0].purpose, RevealPurpose::press);
    const RevealTicket ticket = *reveals[0].ticket;
    EXPECT_TRUE(revealer->isHeld(ticket)) << "the reveal stays while the menu is open";
    EXPECT_EQ(presser->heldTicketIds(), (std::vector<int>{ticket.id}));

    runFor(3210ms - elapsed());
    EXPECT_TRUE(revealer->isHeld(ticket));
    runOut();
    const auto ends = revealerCalls(Kind::endReveal);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].ticket, ticket);
    EXPECT_TRUE(ends[0].result) << "given back before the revealer's own deadline";
    EXPECT_GE(ends[0].at, at(3210ms));
    EXPECT_LE(ends[0].at, at(3410ms)) << "within 200 ms of the menu closing";
    EXPECT_TRUE(presser->heldTicketIds().empty());

    EXPECT_EQ(pressLog(),
              (std::vector<std::string>{"アイコンが置かれるのを待ちました（com.example.a・60 ms）",
                                        "開きました（com.example.a・revealPress）"}));
    EXPECT_EQ(levelOf("アイコンが置かれるのを待ちました（com.example.a・60 ms）"), LogLevel::info);
}

TEST_F(ItemPresserTest, AHoldEndsAtTheLatestAfterRevealHold) {
    revealer->setHidden({app});
    pressesOpenMenus(100ms, std::nullopt);
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::revealPress));
    const Duration holdStart = elapsed();
    runOut();
    const auto ends = revealerCalls(Kind::endReveal);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].at, at(holdStart + 10s));
    EXPECT_TRUE(ends[0].result);
}

TEST_F(ItemPresserTest, AHiddenPressThatWorkedIsTriedFirstNextTime) {
    rememberHiddenPress();
    EXPECT_EQ(endsPerTicket(), (std::map<int, int>{})) << "cleared";
    pressesOpenMenus(100ms, 1s);
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::hiddenPress));
    EXPECT_TRUE(revealerCalls(Kind::beginReveal).empty()) << "pressed while hidden, without a reveal";
    EXPECT_EQ(accessibility->presses().size(), 1u);
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::hiddenPress);
}

TEST_F(ItemPresserTest, AHiddenPressAfterAFailedRevealIsNotRemembered) {
    revealer->setHidden({app});
    revealer->setRevealFails(true);
    pressesOpenMenus(100ms, 1s);
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::hiddenPress));
    EXPECT_EQ(presser->memory().remembered(app), std::nullopt);
    EXPECT_EQ(pressLog(), (std::vector<std::string>{"一時的に見せられませんでした（com.example.a）",
                                                    "開きました（com.example.a・hiddenPress）"}));
    EXPECT_EQ(levelOf("一時的に見せられませんでした（com.example.a）"), LogLevel::defaultLevel);

    // Without a revealer the attempt fails the same way.
    revealer.reset();
    logs.clear();
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::direct)) << "a gone revealer hides nothing";
}

TEST_F(ItemPresserTest, AMenuThatOpensLateIsStillTheMenuOfTheLastPress) {
    // The menu shows up right after the watch has given up: the first look at or
    // after 1.5 s sees nothing, the next one sees it.
    bool gaveUp = false;
    accessibility->setWindowsHook([&](std::int32_t process) {
        if (executor.now() >= at(1500ms)) {
            if (gaveUp) {
                accessibility->addWindow(process, 900, executor.now());
            }
            gaveUp = true;
        }
    });
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::direct));
    EXPECT_EQ(elapsed(), 1500ms);
    EXPECT_EQ(accessibility->presses().size(), 1u);
    EXPECT_EQ(pressLog(), (std::vector<std::string>{"開きました（com.example.a・direct）"}));
}

TEST_F(ItemPresserTest, ARevealPressWhoseMenuOpensBeforeTheNextMethodCounts) {
    revealer->setHidden({app});
    // The menu shows up once the reveal has been given back, before the hidden press.
    accessibility->setWindowsHook([&](std::int32_t process) {
        if (!revealerCalls(Kind::endReveal).empty()) {
            accessibility->addWindow(process, 900, executor.now());
        }
    });
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::revealPress));
    EXPECT_EQ(accessibility->presses().size(), 1u) << "the hidden press never pressed";
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::revealPress);
}

TEST_F(ItemPresserTest, AnEarlierPressThatOpensWhileTheRevealIsUnderWayIsHeldWithThatReveal) {
    rememberHiddenPress();
    // The hidden press opens its menu 2 s later, after the watch gave up; the
    // reveal that follows takes 1 s, and by then the menu is there.
    revealer->setRevealDelay(1s);
    const Duration started = elapsed();
    accessibility->setPressHook([&](const FakePressAccessibility::Call& call) {
        accessibility->addWindow(call.pid, 900, call.at + 2s, call.at + 5s);
        return PressCall::sent(0);
    });
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::hiddenPress));
    EXPECT_EQ(elapsed(), started + 2500ms);
    EXPECT_EQ(accessibility->presses().size(), 1u) << "the reveal press never pressed";
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::hiddenPress);

    // The reveal is kept while that menu is open.
    const auto reveals = revealerCalls(Kind::beginReveal);
    ASSERT_EQ(reveals.size(), 1u);
    const RevealTicket ticket = *reveals[0].ticket;
    EXPECT_TRUE(revealer->isHeld(ticket));
    runOut();
    const auto ends = revealerCalls(Kind::endReveal);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_GE(ends[0].at, at(started + 5s));
    EXPECT_LE(ends[0].at, at(started + 5200ms));
}

TEST_F(ItemPresserTest, NoItemEndsTheTryOrMovesOnToTheReveal) {
    rememberHiddenPress();

    // Shown application, no such item: not found, nothing forgotten, nothing logged.
    revealer->setUnrestricted();
    accessibility->setPressHook([](const FakePressAccessibility::Call&) { return PressCall::noItem(); });
    EXPECT_EQ(press(), PressOutcome::notFound());
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::hiddenPress);
    EXPECT_TRUE(pressLog().empty());

    // Hidden: the item is absent while hidden, so the remembered hidden press
    // finds nothing and the reveal press is tried.
    revealer->setHidden({app});
    accessibility->clearCalls();
    accessibility->setPressHook([&](const FakePressAccessibility::Call& call) {
        if (!revealer->temporarilyShown().contains(app)) {
            return PressCall::noItem();
        }
        accessibility->addWindow(call.pid, nextWindow++, call.at, call.at + 500ms);
        return PressCall::sent(0);
    });
    EXPECT_EQ(press(), PressOutcome::opened(PressMethod::revealPress));
    EXPECT_EQ(accessibility->presses().size(), 2u);
    runOut();

    // Missing either way: not found at once, and the reveal is given back.
    accessibility->setPressHook([](const FakePressAccessibility::Call&) { return PressCall::noItem(); });
    revealer->clearCalls();
    EXPECT_EQ(press(), PressOutcome::notFound());
    EXPECT_EQ(revealerCalls(Kind::beginReveal).size(), 1u);
    EXPECT_EQ(revealerCalls(Kind::endReveal).size(), 1u);
    EXPECT_TRUE(revealer->heldTickets().empty());
    EXPECT_EQ(presser->memory().remembered(app), PressMethod::revealPress) << "not found forgets nothing";
}

TEST_F(ItemPresserTest, AFailedPressIsLoggedWithItsCodeAndNothingOpens) {
    accessibility->addWindow(pid, 7, at(0s));
    accessibility->setPressHook(
        [](const FakePressAccessibility::Call&) { return PressCall::failed(-25200); });
    EXPECT_EQ(press(target(2)), PressOutcome::notOpened());
    EXPECT_EQ(pressLog(), (std::vector<std::string>{"押せませんでした（com.example.a・AX -25200）",
                                                    "押しても開きませんでした（com.example.a・2 番目）"}));
    EXPECT_EQ(levelOf("押せませんでした（com.example.a・AX -25200）"), LogLevel::defaultLevel);
    EXPECT_EQ(levelOf("押しても開きませんでした（com.example.a・2 番目）"), LogLevel::defaultLevel);
    EXPECT_TRUE(revealerCalls(Kind::beginReveal).empty()) << "a shown application is not left shown";
    EXPECT_EQ(elapsed(), 0s) << "no watch after a failed press";
}

TEST_F(ItemPresserTest, CancellingTheCallerStopsTheAttemptsAndThePolling) {
    rememberHiddenPress();

    // Nothing opens; the caller gives up 500 ms into the hidden press's watch.
    const Duration started = elapsed();
    auto handle = start();
    executor.runUntilIdle();
    runFor(500ms);
    const auto looksBefore = accessibility->calls(CallKind::windows).size();
    handle.cancel();
    finish(handle);

    EXPECT_EQ(handle.result(), PressOutcome::notOpened());
    EXPECT_EQ(elapsed(), started + 500ms) << "the watch stopped at once";
    EXPECT_EQ(accessibility->presses().size(), 1u) << "no further method was tried";
    EXPECT_TRUE(revealerCalls(Kind::beginReveal).empty());
    EXPECT_EQ(accessibility->calls(CallKind::windows).size(), looksBefore + 2)
        << "one last look, then the late check";
    EXPECT_EQ(presser->memory().remembered(app), std::nullopt) << "forgotten though cancelled";
    EXPECT_EQ(pressLog(), (std::vector<std::string>{"押しても開きませんでした（com.example.a・0 番目）"}));
    EXPECT_TRUE(presser->leftShownTickets().empty()) << "not left shown when cancelled";
}

TEST_F(ItemPresserTest, CancellingDuringARevealGivesTheRevealBack) {
    revealer->setHidden({app});
    auto handle = start();
    executor.runUntilIdle();
    runFor(700ms);
    handle.cancel();
    finish(handle);
    EXPECT_EQ(handle.result(), PressOutcome::notOpened());
    EXPECT_EQ(accessibility->presses().size(), 1u);
    EXPECT_EQ(revealerCalls(Kind::beginReveal).size(), 1u);
    EXPECT_EQ(endsPerTicket(), (std::map<int, int>{{1, 1}}));
    EXPECT_TRUE(revealer->heldTickets().empty());
}

} // namespace
} // namespace PELLACOR_TEST_FILE
