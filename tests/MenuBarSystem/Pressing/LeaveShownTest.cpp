#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "Support/PresserFixture.h"

#include <cctype>
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

class LeaveShownFixture : public pellacor::testing::PresserFixture {
protected:
    // A hidden application whose press opens nothing, so that the press ends by
    // leaving it shown; the time the press ended (when the watch starts).
    Duration pressIntoLeaveShown() {
        revealer->setHidden({app});
        const auto outcome = press();
        EXPECT_EQ(outcome, PressOutcome::notOpened());
        return elapsed();
    }
    std::optional<RevealTicket> leftShownTicket() const {
        const auto tickets = presser->leftShownTickets();
        auto it = tickets.find(app);
        return it != tickets.end() ? std::optional(it->second) : std::nullopt;
    }
    // When the revealer was told to end the ticket, if it was.
    std::optional<Duration> endedAt(const RevealTicket& ticket) const {
        for (const auto& call : revealerCalls(Kind::endReveal)) {
            if (call.ticket == ticket) {
                return call.at - Instant{};
            }
        }
        return std::nullopt;
    }
    std::size_t indexOf(Kind kind, const RevealTicket& ticket) const {
        const auto& calls = revealer->calls();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].kind == kind && calls[i].ticket == ticket) {
                return i;
            }
        }
        return calls.size();
    }
};

using LeaveShownTest = LeaveShownFixture;

TEST_F(LeaveShownTest, AHiddenItemThatOpensNothingIsLeftShownForThirtySecondsAndABit) {
    const Duration watchStart = pressIntoLeaveShown();
    EXPECT_EQ(watchStart, 3s) << "two methods, 1.5 s of watching each";

    const auto leaveShown = revealerCalls(Kind::beginReveal).back();
    EXPECT_EQ(leaveShown.purpose, RevealPurpose::leaveShown);
    const RevealTicket ticket = *leaveShown.ticket;
    EXPECT_EQ(leftShownTicket(), ticket);
    EXPECT_EQ(pressLog(), (std::vector<std::string>{
                              "押しても開きませんでした（com.example.a・0 番目）",
                              "押しても開かないので、メニューバーに 30 秒出しておきます（com.example.a）"}));
    EXPECT_EQ(levelOf("押しても開かないので、メニューバーに 30 秒出しておきます（com.example.a）"),
              LogLevel::defaultLevel);

    runFor(30s + 790ms);
    EXPECT_TRUE(revealer->isHeld(ticket));
    runOut();
    EXPECT_EQ(endedAt(ticket), watchStart + 30s + 800ms);
    EXPECT_EQ(leftShownTicket(), std::nullopt);
    EXPECT_EQ(pressLog().back(), "出しておいたアイコンを戻します（com.example.a）");
    EXPECT_EQ(levelOf("出しておいたアイコンを戻します（com.example.a）"), LogLevel::info);
}

struct TimingCase {
    const char* name;
    // Sets the application's windows up, given when the watch starts.
    std::function<void(FakePressAccessibility&, pellacor::concurrency::Instant watchStart)> setUp;
    std::chrono::milliseconds endsAfter;
};

void PrintTo(const TimingCase& timing, std::ostream* out) {
    *out << timing.name;
}

class LeaveShownTimingTest : public LeaveShownFixture, public ::testing::WithParamInterface<TimingCase> {};

TEST_P(LeaveShownTimingTest, TheRevealEndsOnceTheApplicationShowsNoMenuForAWhile) {
    const TimingCase& c = GetParam();
    // The press itself sees no windows; the scripted ones start once it is over.
    const Duration watchStart = 3s;
    c.setUp(*accessibility, at(watchStart));
    EXPECT_EQ(pressIntoLeaveShown(), watchStart);
    const RevealTicket ticket = *leftShownTicket();
    runOut();
    EXPECT_EQ(endedAt(ticket), watchStart + c.endsAfter);
    EXPECT_EQ(leftShownTicket(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, LeaveShownTimingTest,
    ::testing::Values(TimingCase{"nothing", [](FakePressAccessibility&, pellacor::concurrency::Instant) {},
                                 30800ms},
                      TimingCase{"menu from 25 s to 50 s",
                                 [](FakePressAccessibility& fake, pellacor::concurrency::Instant start) {
                                     fake.addWindow(10, 900, start + 25s, start + 50s);
                                 },
                                 50800ms},
                      TimingCase{"menu left open",
                                 [](FakePressAccessibility& fake, pellacor::concurrency::Instant start) {
                                     fake.addWindow(10, 900, start + 25s);
                                 },
                                 90000ms},
                      TimingCase{"window of another process",
                                 [](FakePressAccessibility& fake, pellacor::concurrency::Instant start) {
                                     fake.addWindow(11, 900, start + 25s);
                                 },
                                 30800ms}),
    [](const ::testing::TestParamInfo<TimingCase>& info) {
        std::string name;
        for (const char* c = info.param.name; *c != '\0'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c)) != 0) {
                name += *c;
            }
        }
        return name;
    });

TEST_F(LeaveShownTest,
       AnUnreadableWindowListCountsAsAnOpenMenuButWithoutABaselineTheRevealLastsThirtySeconds) {
    // Unreadable from 20 s to 60 s into the watch: as if a menu were open.
    const Duration watchStart = 3s;
    accessibility->setWindowsHook([&](std::int32_t) {
        const Duration now = elapsed();
        accessibility->setWindowListReadable(now < watchStart + 20s || now >= watchStart + 60s);
    });
    EXPECT_EQ(pressIntoLeaveShown(), watchStart);
    RevealTicket ticket = *leftShownTicket();
    runOut();
    EXPECT_EQ(endedAt(ticket), watchStart + 60800ms);

    // Unreadable from the moment the application is left shown: no baseline, so
    // no menu test, and the reveal ends after 30 s.
    accessibility->setWindowsHook([&](std::int32_t) {
        bool leftShown = false;
        for (const auto& call : revealerCalls(Kind::beginReveal)) {
            leftShown =
                leftShown || (call.purpose == RevealPurpose::leaveShown && call.at >= at(watchStart + 61s));
        }
        accessibility->setWindowListReadable(!leftShown);
    });
    const Duration secondStart = pressIntoLeaveShown();
    ticket = *leftShownTicket();
    runOut();
    EXPECT_EQ(endedAt(ticket), secondStart + 30s);
}

TEST_F(LeaveShownTest, ASecondLeaveShownTakesOverWithoutAGap) {
    const Duration firstStart = pressIntoLeaveShown();
    const RevealTicket first = *leftShownTicket();
    runFor(10s);

    // Left shown, the application is no longer hidden: pressed directly, nothing
    // opens, and since it is left shown, it is left shown again.
    EXPECT_EQ(press(), PressOutcome::notOpened());
    const Duration secondStart = elapsed();
    EXPECT_EQ(secondStart, firstStart + 11500ms);
    const RevealTicket second = *leftShownTicket();
    EXPECT_NE(second, first);
    EXPECT_EQ(revealerCalls(Kind::beginReveal).back().purpose, RevealPurpose::leaveShown);
    // The new reveal was granted before the old one was given back.
    EXPECT_LT(indexOf(Kind::beginReveal, second), indexOf(Kind::endReveal, first));
    EXPECT_EQ(endedAt(first), secondStart);
    EXPECT_FALSE(revealer->isHeld(first));
    EXPECT_TRUE(revealer->isHeld(second));

    // The first watch gives nothing back at its own time; the second ends its reveal.
    runFor(firstStart + 31s - elapsed());
    EXPECT_TRUE(revealer->isHeld(second));
    runOut();
    EXPECT_EQ(endedAt(second), secondStart + 30800ms);
    std::map<int, int> ends;
    for (const auto& call : revealerCalls(Kind::endReveal)) {
        ++ends[call.ticket->id];
    }
    EXPECT_EQ(ends[first.id], 1);
    EXPECT_EQ(ends[second.id], 1);
    const auto messages = pressLog();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "出しておいたアイコンを戻します（com.example.a）"),
              1);
    EXPECT_EQ(leftShownTicket(), std::nullopt);
}

TEST_F(LeaveShownTest, ARefusedRevealLeavesNothingShown) {
    revealer->setHidden({app});
    revealer->setRevealFails(true);
    EXPECT_EQ(press(), PressOutcome::notOpened());
    EXPECT_EQ(pressLog(),
              (std::vector<std::string>{"一時的に見せられませんでした（com.example.a）",
                                        "押しても開きませんでした（com.example.a・0 番目）",
                                        "メニューバーに出しておけませんでした（com.example.a）"}));
    EXPECT_EQ(levelOf("メニューバーに出しておけませんでした（com.example.a）"), LogLevel::defaultLevel);
    EXPECT_EQ(leftShownTicket(), std::nullopt);
    EXPECT_TRUE(revealer->heldTickets().empty());
}

TEST_F(LeaveShownTest, ARevealerGoneDuringThePressShowsNothingAndSaysSo) {
    // The application was hidden when the press began; the revealer goes right
    // after, before the reveal press and before leave-shown ask it for anything.
    revealer->setHidden({app});
    accessibility->setWindowsHook([&](std::int32_t) { revealer.reset(); });
    EXPECT_EQ(press(), PressOutcome::notOpened());
    EXPECT_EQ(elapsed(), 1500ms) << "only the hidden press pressed and watched";
    EXPECT_EQ(accessibility->presses().size(), 1u);
    EXPECT_EQ(pressLog(),
              (std::vector<std::string>{"一時的に見せられませんでした（com.example.a）",
                                        "押しても開きませんでした（com.example.a・0 番目）",
                                        "メニューバーに出しておけませんでした（com.example.a）"}));
    EXPECT_EQ(leftShownTicket(), std::nullopt);
}

TEST_F(LeaveShownTest, ThePlacementWaitPressesOnceTheItemIsPlacedOrTheLimitHasPassed) {
    revealer->setHidden({app});
    pressesOpenMenus(0ms, 100ms);
    struct Case {
        const char* name;
        std::function<std::optional<bool>(int look)> placed;
        Duration pressedAfter;
        std::vector<std::string> log;
    };
    const std::vector<Case> cases = {
        {"placed at once", [](int) { return true; }, 0ms, {}},
        {"placed at the fourth look",
         [](int look) { return look >= 4; },
         60ms,
         {"アイコンが置かれるのを待ちました（com.example.a・60 ms）"}},
        {"frame unreadable",
         [](int) { return std::nullopt; },
         2s,
         {"アイコンがメニューバーに置かれないまま押します（com.example.a）"}},
        {"never placed",
         [](int) { return false; },
         1s,
         {"アイコンがメニューバーに置かれないまま押します（com.example.a）"}},
        {"unreadable, then off the bar",
         [](int look) { return look < 60 ? std::nullopt : std::optional(false); },
         1180ms,
         {"アイコンがメニューバーに置かれないまま押します（com.example.a）"}},
    };
    for (const Case& c : cases) {
        auto looks = std::make_shared<int>(0);
        accessibility->setPlacement([&c, looks](std::int32_t, int) { return c.placed(++*looks); });
        accessibility->clearCalls();
        logs.clear();
        const Duration started = elapsed();
        EXPECT_EQ(press(), PressOutcome::opened(PressMethod::revealPress)) << c.name;
        const auto presses = accessibility->presses();
        ASSERT_EQ(presses.size(), 1u) << c.name;
        EXPECT_EQ(presses[0].at - Instant{}, started + c.pressedAfter) << c.name;
        auto expected = c.log;
        expected.push_back("開きました（com.example.a・revealPress）");
        EXPECT_EQ(pressLog(), expected) << c.name;
        runOut();
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
