#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using core::AppKey;
using core::Section;
using core::VisibilityPlan;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Result = system::SystemResult<VisibilityPlan>;
using State = core::MenuBarState;
using PauseReason = coordinator::PauseReason;

class Visibility : public CollapsedCoordinatorFixture {};

TEST_F(Visibility, TheFirstAllowPlanIsConfirmedWithItsCountAndTheOthers) {
    timings.profile = makeProfile({{AppKey(shown), Section::shown}});
    apps->running = {shown, "com.apple.Music", "com.apple.Safari"};
    // The layout table already places the shown application, so the placement on collapse stays quiet.
    reorderer->table = {{"status:app.trayvane.pellacor::Item-0", 100},
                        {"status:com.example.shown::Item-0", 50}};
    start();
    take();
    Coordinator& c = givenCollapsed();
    EXPECT_THAT(
        take(),
        ElementsAre(
            ::testing::StartsWith("log(default) 起動の読み（1 回目）"),
            "log(default) 状態 starting → collapsed", "state(collapsed)",
            "log(default) 制限が効きました（許す 4 個・Apple 以外：app.trayvane.pellacor,com.example.shown）",
            "restrictionConfirmed"));
    EXPECT_TRUE(Probe::hasRequestedRestriction(c));
    EXPECT_EQ(Probe::requestedPlan(c),
              VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", "com.apple.Safari", shown}));
    EXPECT_EQ(visibility->currentPlan(), Probe::requestedPlan(c));
}

TEST_F(Visibility, EqualAllowPlansAreSentOnce) {
    Coordinator& c = collapsed();
    visibility->replies.hold();
    setSection(hidden, Section::shown);
    c.enforce();
    c.enforce();
    executor.runUntilIdle();
    c.enforce();
    EXPECT_EQ(visibility->applied, std::vector<VisibilityPlan>{revealedPlan()});
    const int generation = Probe::restrictGeneration(c);
    visibility->replies.release(Result::ok(revealedPlan()));
    executor.runUntilIdle();
    c.enforce();
    executor.runUntilIdle();
    EXPECT_EQ(visibility->applied.size(), 1U);
    EXPECT_EQ(Probe::restrictGeneration(c), generation);
}

TEST_F(Visibility, EveryRemovalIsSentAndTheFirstInstantIsKept) {
    Coordinator& c = collapsed();
    EXPECT_EQ(Probe::requestedPlan(c), collapsedPlan());
    executor.advanceBy(5s);
    c.pause();
    const auto since = Probe::unrestrictedSince(c);
    EXPECT_EQ(since, executor.now());
    executor.advanceBy(5s);
    c.enforce();
    c.enforce();
    EXPECT_EQ(visibility->removals, 3 + 1); // the start's, then the pause's and two more
    EXPECT_EQ(visibility->log.count("removeRestriction"), 3U);
    EXPECT_EQ(Probe::unrestrictedSince(c), since);
    EXPECT_EQ(Probe::requestedPlan(c), VisibilityPlan::noRestriction());
    EXPECT_TRUE(visibility->applied.empty());
}

TEST_F(Visibility, ARemovalStopsTheApplyInFlight) {
    Coordinator& c = collapsed();
    visibility->replies.hold();
    setSection(hidden, Section::shown);
    c.enforce();
    executor.runUntilIdle();
    auto apply = Probe::applyTask(c);
    c.pause();
    EXPECT_TRUE(apply.isCancelled());
    take();
    // Its answer, even a failure, comes too late to count.
    visibility->replies.release(Result::timeout());
    executor.runUntilIdle();
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(c.currentPauseReason(), PauseReason::manual());
}

// Two allow plans in flight; only the newer answer is judged, whichever comes first.
struct SupersededCase {
    const char* name;
    bool newerFirst;
    bool newerFails;
};
void PrintTo(const SupersededCase& c, std::ostream* os) {
    *os << c.name;
}

class SupersededAnswer : public Visibility, public ::testing::WithParamInterface<SupersededCase> {};

TEST_P(SupersededAnswer, IsIgnoredEvenWhenItFails) {
    const auto& param = GetParam();
    Coordinator& c = collapsed();
    visibility->replies.hold();
    visibility->replies.hold();
    givenRevealed();
    givenCollapsed();
    ASSERT_EQ(visibility->applied, (std::vector<VisibilityPlan>{revealedPlan(), collapsedPlan()}));
    ASSERT_EQ(visibility->replies.waitingCount(), 2U);
    take();

    const Result older = Result::unavailable(system::UnavailableReason::restrictionRejected);
    const Result newer = param.newerFails ? Result::timeout() : Result::ok(collapsedPlan());
    if (param.newerFirst) {
        visibility->replies.releaseNewest(newer);
        executor.runUntilIdle();
        visibility->replies.release(older);
    } else {
        visibility->replies.release(older);
        executor.runUntilIdle();
        EXPECT_THAT(events, IsEmpty());
        visibility->replies.release(newer);
    }
    executor.runUntilIdle();
    if (param.newerFails) {
        EXPECT_THAT(take(), ElementsAre("log(error) 制限が効きませんでした。一時停止します",
                                        "log(default) 状態 collapsed → paused", "state(paused)"));
        EXPECT_EQ(c.currentPauseReason(),
                  PauseReason::healthProblems({system::HealthProblem::hidingDidNotTakeEffect}));
    } else {
        EXPECT_THAT(take(),
                    ElementsAre("log(default) 制限が効きました（許す 3 個・Apple 以外：app.trayvane.pellacor,"
                                "com.example.shown）",
                                "restrictionConfirmed"));
        EXPECT_EQ(c.effectiveState(), State::collapsed);
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, SupersededAnswer,
                         ::testing::Values(SupersededCase{"olderFailsNewerConfirms", false, false},
                                           SupersededCase{"olderFailsNewerFails", false, true},
                                           SupersededCase{"newerConfirmsOlderFailsLate", true, false},
                                           SupersededCase{"newerFailsOlderFailsLate", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every answer but ok with an allow plan pauses with one problem.
struct FailureCase {
    const char* name;
    Result answer;
    system::HealthProblem problem;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class FailedRestriction : public Visibility, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedRestriction, PausesWithTheProblemRemovesAndAResumeResendsThePlan) {
    const auto& param = GetParam();
    timings.profile = makeProfile({{AppKey(shown), Section::shown}});
    apps->running = {shown};
    start();
    take();
    visibility->replies.immediate(param.answer);
    visibility->observer = [this](const std::string& call) { events.push_back("visibility " + call); };
    Coordinator& c = *coordinator;
    answerStartRead(reader->items);

    const auto plan = VisibilityPlan::allow({"app.trayvane.pellacor", shown});
    EXPECT_THAT(take(), ElementsAre(::testing::StartsWith("log(default) 起動の読み（1 回目）"),
                                    "log(default) 状態 starting → collapsed", "state(collapsed)",
                                    "visibility apply(" + plan.description() + ")",
                                    "log(error) 制限が効きませんでした。一時停止します",
                                    "log(default) 状態 collapsed → paused", "visibility removeRestriction",
                                    "state(paused)"));
    EXPECT_EQ(c.currentPauseReason(), PauseReason::healthProblems({param.problem}));
    EXPECT_EQ(Probe::requestedPlan(c), VisibilityPlan::noRestriction());
    EXPECT_EQ(visibility->currentPlan(), VisibilityPlan::noRestriction());

    visibility->observer = nullptr;
    c.resume();
    givenCollapsed();
    EXPECT_EQ(visibility->applied, (std::vector<VisibilityPlan>{plan, plan}));
    EXPECT_EQ(visibility->currentPlan(), plan);
    EXPECT_EQ(c.effectiveState(), State::collapsed);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailedRestriction,
    ::testing::Values(
        FailureCase{"componentMissing",
                    Result::unavailable(system::UnavailableReason::hidingComponentMissing),
                    system::HealthProblem::hidingComponentMissing},
        FailureCase{"okWithoutRestriction", Result::ok(VisibilityPlan::noRestriction()),
                    system::HealthProblem::hidingDidNotTakeEffect},
        FailureCase{"rejected", Result::unavailable(system::UnavailableReason::restrictionRejected),
                    system::HealthProblem::hidingDidNotTakeEffect},
        FailureCase{"selfNotAllowed", Result::unavailable(system::UnavailableReason::selfNotAllowed),
                    system::HealthProblem::hidingDidNotTakeEffect},
        FailureCase{"timeout", Result::timeout(), system::HealthProblem::hidingDidNotTakeEffect}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Visibility, AFailedAnswerForgetsThePlanSoTheSamePlanIsSentAgain) {
    Coordinator& c = collapsed();
    visibility->replies.immediate(Result::timeout());
    // The user resumes after the failure, and the start collapses again: the same plan is asked for.
    c.onStateChange = [&c](State state) {
        if (state == State::paused) {
            c.resume();
        }
    };
    setSection(hidden, Section::shown);
    c.enforce();
    executor.runUntilIdle();
    ASSERT_EQ(c.baseState(), State::collapsed);
    EXPECT_EQ(visibility->applied, (std::vector<VisibilityPlan>{revealedPlan(), revealedPlan()}));
}

TEST_F(Visibility, PlannerInputFollowsTheModel) {
    Coordinator& c = collapsed();
    // A known owner that is no longer running still counts, and revealing it for a
    // press adds it.
    reader->items = {item("com.example.gone")};
    c.refreshItems();
    executor.runUntilIdle();
    ASSERT_TRUE(Probe::knownOwners(c).contains(AppKey("com.example.gone")));
    const auto reveal = revealForPress(hidden);
    ASSERT_TRUE(reveal);
    EXPECT_EQ(visibility->applied.back(),
              VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music", hidden, shown}));

    // A lift lifts everything.
    const auto lift = liftForPress();
    ASSERT_TRUE(lift);
    EXPECT_EQ(Probe::requestedPlan(c), VisibilityPlan::noRestriction());
    c.endReveal(*lift);
    c.endReveal(*reveal);

    // The notch overflow keeps a shown application off while collapsed.
    givenOverflow(shown);
    c.enforce();
    executor.runUntilIdle();
    EXPECT_EQ(visibility->applied.back(),
              VisibilityPlan::allow({"app.trayvane.pellacor", "com.apple.Music"}));
}

// Which applications the notch handling keeps off the bar.
struct OverflowCase {
    const char* name;
    bool overflowEnabled;
    bool belowBar;
    bool foldRescue;
    std::vector<std::string> overflow;
    std::vector<std::string> revealed;
    std::set<std::string> expected;
};
void PrintTo(const OverflowCase& c, std::ostream* os) {
    *os << c.name;
}

class NotchPlanOverflow : public Visibility, public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(NotchPlanOverflow, Rules) {
    const auto& param = GetParam();
    timings.profile = makeProfile({{AppKey("com.example.a"), Section::shown},
                                   {AppKey("com.example.b"), Section::shown},
                                   {AppKey("com.apple.Music"), Section::shown},
                                   {AppKey(selfID), Section::shown},
                                   {AppKey("com.example.h"), Section::hidden}});
    apps->running = {"com.example.a", "com.apple.Music", selfID, "com.example.h", "com.example.x"};
    // The start reads b, which does not run now; under the fold rescue it misses the control item.
    reader->items = {item("com.example.b")};
    Coordinator& c = param.foldRescue ? givenFoldRescue() : givenCollapsed();
    ASSERT_TRUE(Probe::knownOwners(c).contains(AppKey("com.example.b")));
    for (const auto& app : param.overflow) {
        // Overflowed while the user had it shown, then moved back.
        const Section section = c.currentProfile().section(AppKey(app));
        setSection(app, Section::shown);
        givenOverflow(app);
        setSection(app, section);
    }
    ASSERT_EQ(c.currentNotchState().overflow.size(), param.overflow.size());
    // The switches as the shell sets them, before it tells the coordinator.
    c.notchOverflowEnabled = param.overflowEnabled;
    c.belowBarEnabled = param.belowBar;
    for (const auto& app : param.revealed) {
        ASSERT_TRUE(revealForPress(app)) << app;
    }
    std::set<std::string> got;
    for (const auto& app : Probe::notchPlanOverflow(c)) {
        got.insert(app.bundleID());
    }
    EXPECT_EQ(got, param.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotchPlanOverflow,
    ::testing::Values(
        OverflowCase{"switchedOff", false, true, true, {"com.example.h"}, {}, {}},
        OverflowCase{"neitherPanelNorRescue", true, false, false, {"com.example.h"}, {}, {}},
        OverflowCase{"panel", true, true, false, {"com.example.h"}, {}, {"com.example.h"}},
        OverflowCase{"rescue", true, false, true, {"com.example.h"}, {}, {"com.example.h"}},
        OverflowCase{"empty", true, true, false, {}, {"com.example.h"}, {}},
        OverflowCase{
            "revealedElsewhere", true, true, false, {"com.example.h"}, {"com.example.a"}, {"com.example.h"}},
        // A revealed overflowed application takes every shown, non-Apple, non-self
        // current owner (running or known) with it.
        OverflowCase{"revealedInOverflow",
                     true,
                     true,
                     false,
                     {"com.example.h"},
                     {"com.example.h"},
                     {"com.example.h", "com.example.a", "com.example.b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Visibility, EnforceDoesNothingOnceShutDown) {
    Coordinator& c = collapsed();
    c.shutdown();
    clearServiceCalls();
    setSection(hidden, Section::shown);
    c.enforce();
    executor.runUntilIdle();
    EXPECT_EQ(serviceCalls(), 0U);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
