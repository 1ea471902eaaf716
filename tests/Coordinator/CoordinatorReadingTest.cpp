#include "Support/CoordinatorFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using namespace std::chrono_literals;
using concurrency::Duration;
using core::AppKey;
using core::ItemSnapshot;
using core::Rect;
using core::Section;
using system::UnavailableReason;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Result = system::ItemReading::Result;
using State = core::MenuBarState;
using Durations = std::vector<Duration>;

// A coordinator started and collapsed at virtual time 0 by its start attempt's
// one read, with the events so far taken. The reader answers `reader->items` unless a test scripts it.
class Reading : public CoordinatorFixture {
protected:
    static constexpr const char* alpha = "com.example.alpha";
    static constexpr const char* beta = "com.example.beta";
    static constexpr const char* other = "com.example.other";

    // The start attempt reads once, finds the bar healthy and collapses.
    Coordinator& collapsed() {
        holdStartRead = false;
        Coordinator& c = givenCollapsed();
        take();
        return c;
    }

    // The model and the bar both hold these items already: a refresh read them.
    void alreadyRead(Coordinator& c, std::vector<ItemSnapshot> snapshots) {
        reader->items = std::move(snapshots);
        c.refreshItems();
        executor.runUntilIdle();
        ++setUpReads;
        take();
    }

    // The full reads after the start attempt's and those of `alreadyRead`.
    Durations fullReads() const {
        auto times = reader->timesOf("readItems");
        times.erase(times.begin(),
                    times.begin() + static_cast<std::ptrdiff_t>(std::min(setUpReads, times.size())));
        return times;
    }

    std::size_t setUpReads = 1;
    Durations quickReads(const std::string& owner) const {
        return reader->timesOf("readItems(" + owner + ")");
    }
};

// -- Reread -------------------------------------------------------------------------

TEST_F(Reading, ALaunchDuringARereadCycleBuysOneMoreCycleOfTheSameTask) {
    Coordinator& c = collapsed();
    launch(alpha);
    executor.runUntilIdle();
    const auto task = Probe::rereadTask(c);
    ASSERT_TRUE(task);
    executor.advanceBy(1s);
    launch(beta);
    EXPECT_EQ(Probe::rereadTask(c), task);

    executor.advanceBy(30s);
    EXPECT_EQ(fullReads(), (Durations{1500ms, 6500ms, 8000ms, 13000ms}));
    EXPECT_FALSE(Probe::rereadTask(c));
    EXPECT_EQ(Probe::rereadRequests(c), 2);

    // Once the task has ended, a launch starts a new one with a single cycle.
    launch("com.example.gamma");
    executor.advanceBy(30s);
    EXPECT_EQ(fullReads(), (Durations{1500ms, 6500ms, 8000ms, 13000ms, 32500ms, 37500ms}));
}

TEST_F(Reading, TheNextRereadWaitsForTheReadBefore) {
    collapsed();
    reader->allReads.hold();
    launch(alpha);
    executor.advanceBy(4s);
    ASSERT_EQ(reader->allReads.waitingCount(), 1U);
    reader->allReads.release(readOf({}));
    executor.advanceBy(5s - 1ns);
    EXPECT_EQ(fullReads(), (Durations{1500ms}));
    executor.advanceBy(1ns);
    EXPECT_EQ(fullReads(), (Durations{1500ms, 9000ms}));
}

// -- Quick read ----------------------------------------------------------------------

TEST_F(Reading, AQuickFindSurvivesAFullReadThatBeganBeforeIt) {
    Coordinator& c = collapsed();
    alreadyRead(c, {item(other)});
    launch(beta); // at 0 s: its reread reads at 1.5 s
    executor.advanceBy(1s);
    reader->allReads.hold();
    reader->ownerReads(alpha).immediate(readOf({}));
    reader->ownerReads(alpha).immediate(readOf({item(alpha)}));
    launch(alpha); // at 1 s: quick reads at 1.3 s and 1.7 s

    executor.advanceBy(700ms);
    EXPECT_EQ(quickReads(alpha), (Durations{1300ms, 1700ms}));
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other), item(alpha)));
    EXPECT_EQ(Probe::quickFound(c).at(alpha), Probe::itemsGeneration(c));
    EXPECT_THAT(Probe::quickReads(c), ElementsAre(beta));
    ASSERT_EQ(reader->allReads.waitingCount(), 1U);
    take();

    // The reread began at 1.5 s, before the find, and returns at 2.6 s without it.
    executor.advanceBy(900ms);
    reader->allReads.release(readOf({item(other)}));
    executor.runUntilIdle();
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other), item(alpha)));
    EXPECT_THAT(events, IsEmpty());

    // A read that began after the find and lacks the application drops it.
    executor.advanceBy(5s);
    EXPECT_EQ(fullReads(), (Durations{1500ms, 7600ms}));
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other)));
    EXPECT_THAT(take(), ElementsAre("items(1)"));
}

TEST_F(Reading, AQuickReadThatNeverFindsReadsSixTimesAndLeavesTheItemsAlone) {
    Coordinator& c = collapsed();
    alreadyRead(c, {item(other)});
    const int generation = Probe::itemsGeneration(c);
    // Every answer but a non-empty list means: try again after the next delay.
    reader->ownerReads(alpha).immediate(readOf({}));
    reader->ownerReads(alpha).immediate(Result::unavailable(UnavailableReason::noAccessibilityPermission));
    reader->ownerReads(alpha).immediate(Result::timeout());
    reader->ownerReads(alpha).immediate(Result::unavailable(UnavailableReason::systemError(-25204)));
    launch(alpha);

    executor.advanceBy(20s);
    EXPECT_EQ(quickReads(alpha), (Durations{300ms, 700ms, 1200ms, 2000ms, 3000ms, 4500ms}));
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other)));
    EXPECT_EQ(Probe::itemsGeneration(c), generation);
    EXPECT_FALSE(Probe::quickFound(c).contains(alpha));
    EXPECT_THAT(Probe::quickReads(c), IsEmpty());
    EXPECT_EQ(c.effectiveState(), State::collapsed);
}

TEST_F(Reading, AtMostFourQuickReadsRunAtOnce) {
    Coordinator& c = collapsed();
    const std::vector<std::string> launched{"com.example.one", "com.example.two", "com.example.three",
                                            "com.example.four", "com.example.five"};
    for (const auto& app : launched) {
        launch(app);
    }
    // A second launch of a running quick read's application adds none.
    launch("com.example.one");
    EXPECT_THAT(Probe::quickReads(c),
                ElementsAre("com.example.four", "com.example.one", "com.example.three", "com.example.two"));

    executor.advanceBy(20s);
    EXPECT_EQ(quickReads("com.example.one").size(), 6U);
    EXPECT_THAT(quickReads("com.example.five"), IsEmpty());
    EXPECT_THAT(Probe::quickReads(c), IsEmpty());
    // It still gets the reread, which the others share.
    EXPECT_EQ(Probe::rereadRequests(c), 6);

    // Their entries are gone with them, so the next launch gets a quick read again.
    launch("com.example.six");
    EXPECT_THAT(Probe::quickReads(c), ElementsAre("com.example.six"));
}

TEST_F(Reading, NoQuickReadWhileStarting) {
    Coordinator& c = start();
    ASSERT_EQ(c.effectiveState(), State::starting);
    launch(alpha);
    executor.advanceBy(20s);
    EXPECT_THAT(quickReads(alpha), IsEmpty());
    EXPECT_EQ(fullReads(), (Durations{1500ms, 6500ms}));
}

TEST_F(Reading, ShutdownEndsTheReadsAndDropsAnAnswerInFlight) {
    Coordinator& c = collapsed();
    reader->ownerReads(alpha).hold();
    launch(alpha);
    executor.advanceBy(300ms);
    ASSERT_EQ(reader->ownerReads(alpha).waitingCount(), 1U);
    c.shutdown();
    EXPECT_THAT(Probe::quickReads(c), IsEmpty());
    take();

    reader->ownerReads(alpha).release(readOf({item(alpha)}));
    executor.advanceBy(20s);
    EXPECT_THAT(Probe::items(c), IsEmpty());
    EXPECT_EQ(quickReads(alpha), (Durations{300ms}));
    EXPECT_THAT(fullReads(), IsEmpty());
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(Reading, QuickReadsOfTwoApplicationsAnsweredInEitherOrderKeepBoth) {
    Coordinator& c = collapsed();
    alreadyRead(c, {item(other)});
    reader->ownerReads(alpha).hold();
    reader->ownerReads(beta).hold();
    launch(alpha);
    launch(beta);
    executor.advanceBy(300ms);

    reader->ownerReads(beta).release(readOf({item(beta, 0), item(beta, 1)}));
    executor.runUntilIdle();
    reader->ownerReads(alpha).release(readOf({item(alpha)}));
    executor.runUntilIdle();
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other), item(beta, 0), item(beta, 1), item(alpha)));
    EXPECT_THAT(Probe::quickReads(c), IsEmpty());
}

// -- Absorbing ------------------------------------------------------------------------

TEST_F(Reading, ANewOwnerReadIsEnforcedAtOnce) {
    // New applications are shown; these two are not among the running ones the
    // watcher lists, so only a read makes them current owners.
    timings.profile = makeProfile({}, Section::shown);
    collapsed();
    visibility->applied.clear();
    reader->ownerReads(alpha).immediate(readOf({item(alpha)}));
    apps->emit(system::AppActivity::launched(alpha));
    executor.advanceBy(300ms);
    EXPECT_THAT(visibility->applied, ElementsAre(core::VisibilityPlan::allow({selfID, alpha})));

    reader->items = {item(alpha), item(beta)};
    coordinator->refreshItems();
    executor.runUntilIdle();
    EXPECT_THAT(visibility->applied, ElementsAre(core::VisibilityPlan::allow({selfID, alpha}),
                                                 core::VisibilityPlan::allow({selfID, alpha, beta})));
}

TEST_F(Reading, EqualReadsFireNothingAndAMovedFrameFiresItemsChange) {
    Coordinator& c = collapsed();
    const std::vector<ItemSnapshot> first{item(alpha, 0, Rect(100, 0, 22, 24)), item(beta)};
    alreadyRead(c, first);
    const int generation = Probe::itemsGeneration(c);
    visibility->log.clearCalls();

    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_THAT(events, IsEmpty());
    EXPECT_EQ(Probe::itemsGeneration(c), generation);
    EXPECT_THAT(visibility->log.calls(), IsEmpty());

    reader->items = {item(alpha, 0, Rect(130, 0, 22, 24)), item(beta)};
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_THAT(take(), ElementsAre("items(2)"));
    EXPECT_EQ(Probe::itemsGeneration(c), generation + 1);
    EXPECT_EQ(Probe::items(c), reader->items);
    // The same owners: nothing to enforce.
    EXPECT_THAT(visibility->log.calls(), IsEmpty());
}

struct AdoptCase {
    const char* name;
    std::vector<std::string> owners;
    Section newItemSection;
    std::vector<std::string> adopted; // into the profile
    std::vector<std::string> events;
    bool placed; // a placement of shown applications at once
};
void PrintTo(const AdoptCase& c, std::ostream* os) {
    *os << c.name;
}

class Adoption : public Reading, public ::testing::WithParamInterface<AdoptCase> {};

TEST_P(Adoption, PutsNewApplicationsIntoTheNewItemSection) {
    const auto& param = GetParam();
    timings.profile = makeProfile({{AppKey(other), Section::shown}}, param.newItemSection);
    Coordinator& c = collapsed();
    const int placements = Probe::placeShownGeneration(c);
    std::vector<ItemSnapshot> read;
    for (const auto& owner : param.owners) {
        read.push_back(item(owner));
    }

    // A read that finds them: the items change ("items(n)").
    reader->items = read;
    c.refreshItems();
    executor.runUntilIdle();
    const auto got = take();
    ASSERT_GE(got.size(), param.events.size());
    EXPECT_EQ(std::vector(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(param.events.size())),
              param.events);
    // Then only the read's enforcement of the plan its new owners change.
    for (auto e = got.begin() + static_cast<std::ptrdiff_t>(param.events.size()); e != got.end(); ++e) {
        EXPECT_THAT(*e, ::testing::AnyOf(::testing::StartsWith("log(default) 制限が効きました"),
                                         ::testing::Eq("restrictionConfirmed")));
    }
    for (const auto& owner : param.owners) {
        EXPECT_TRUE(Probe::knownOwners(c).contains(AppKey(owner))) << owner;
    }
    std::map<AppKey, Section> sections{{AppKey(other), Section::shown}};
    for (const auto& app : param.adopted) {
        sections.emplace(AppKey(app), param.newItemSection);
    }
    EXPECT_EQ(Probe::profile(c).sections, sections);
    EXPECT_EQ(Probe::placeShownGeneration(c), placements + (param.placed ? 1 : 0));

    // Seen again: nothing new, and the same items.
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_THAT(events, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    NewApps, Adoption,
    ::testing::Values(
        AdoptCase{
            "hidden",
            {"com.example.new"},
            Section::hidden,
            {"com.example.new"},
            {"log(info) 初めて見るアプリを「hidden」に入れました（com.example.new）", "profile", "items(1)"},
            false},
        AdoptCase{
            "shownIsPlacedAtOnce",
            {"com.example.new"},
            Section::shown,
            {"com.example.new"},
            {"log(info) 初めて見るアプリを「shown」に入れました（com.example.new）", "profile", "items(1)"},
            true},
        AdoptCase{
            "severalSortedOnce",
            {"com.example.zeta", "com.apple.Music", "com.example.alpha", "com.example.zeta",
             "com.example.other"},
            Section::alwaysHidden,
            {"com.example.alpha", "com.example.zeta"},
            {"log(info) 初めて見るアプリを「alwaysHidden」に入れました（com.example.alpha,com.example.zeta）",
             "profile", "items(5)"},
            false},
        // Known from now on, but never in the profile.
        AdoptCase{"appleNever", {"com.apple.Music"}, Section::shown, {}, {"items(1)"}, false},
        AdoptCase{"selfNever", {"app.trayvane.pellacor"}, Section::shown, {}, {"items(1)"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reading, RemembersEachApplicationsLastItemsAndTheOrderOwnersWereFirstSeen) {
    Coordinator& c = collapsed();
    alreadyRead(c, {item(alpha, 0), item(beta), item(alpha, 1)});
    alreadyRead(c, {item(other), item(beta, 0, Rect(5, 0, 20, 24))});

    const auto& remembered = Probe::rememberedItems(c);
    EXPECT_THAT(remembered.at(AppKey(alpha)), ElementsAre(item(alpha, 0), item(alpha, 1)));
    EXPECT_THAT(remembered.at(AppKey(beta)), ElementsAre(item(beta, 0, Rect(5, 0, 20, 24))));
    EXPECT_THAT(remembered.at(AppKey(other)), ElementsAre(item(other)));
    EXPECT_EQ(Probe::firstSeenRank(c),
              (std::map<AppKey, int>{{AppKey(alpha), 0}, {AppKey(beta), 1}, {AppKey(other), 2}}));
    // An empty bar replaces the items but forgets nobody.
    alreadyRead(c, {});
    EXPECT_THAT(Probe::items(c), IsEmpty());
    EXPECT_EQ(Probe::rememberedItems(c).size(), 3U);
    EXPECT_EQ(Probe::knownOwners(c).size(), 3U);
}

// What a full read's failure does, by the state it meets.
struct FailureCase {
    const char* name;
    Result result;
    State state;
    State then;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadFailure : public Reading, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailure, LeavesTheItemsAndStopsHidingOnlyForAMissingPermission) {
    const auto& param = GetParam();
    Coordinator& c = collapsed();
    alreadyRead(c, {item(other)});
    givenState(param.state);
    take();

    reader->allReads.immediate(param.result);
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), param.then);
    EXPECT_THAT(Probe::items(c), ElementsAre(item(other)));
}

INSTANTIATE_TEST_SUITE_P(
    Results, ReadFailure,
    ::testing::Values(
        FailureCase{"noPermissionCollapsed",
                    Result::unavailable(UnavailableReason::noAccessibilityPermission), State::collapsed,
                    State::needsPermission},
        FailureCase{"noPermissionRevealed", Result::unavailable(UnavailableReason::noAccessibilityPermission),
                    State::revealed, State::needsPermission},
        FailureCase{"noPermissionRevealedAll",
                    Result::unavailable(UnavailableReason::noAccessibilityPermission), State::revealedAll,
                    State::needsPermission},
        FailureCase{"noPermissionPaused", Result::unavailable(UnavailableReason::noAccessibilityPermission),
                    State::paused, State::paused},
        FailureCase{"noPermissionStarting", Result::unavailable(UnavailableReason::noAccessibilityPermission),
                    State::starting, State::starting},
        FailureCase{"otherReason", Result::unavailable(UnavailableReason::systemError(-25204)),
                    State::collapsed, State::collapsed},
        FailureCase{"timeout", Result::timeout(), State::collapsed, State::collapsed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reading, ASuccessfulReadWhileWaitingForThePermissionRestartsOnlyWhenTrusted) {
    Coordinator& c = collapsed();
    // The next trust check finds the permission gone.
    trust->trusted = false;
    executor.advanceBy(2s);
    ASSERT_EQ(c.baseState(), State::needsPermission);
    const int generation = Probe::startGeneration(c);
    reader->items = {item(alpha)};
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::needsPermission);
    EXPECT_THAT(Probe::items(c), ElementsAre(item(alpha)));

    trust->trusted = true;
    // The refresh answers; the fresh attempt's read waits.
    reader->allReads.immediate(readOf({item(alpha)}));
    reader->allReads.hold();
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(c.effectiveState(), State::starting);
    EXPECT_EQ(Probe::startGeneration(c), generation + 1);
}

// -- Refresh and the read mark ---------------------------------------------------------

TEST_F(Reading, ARefreshInFlightDropsFurtherRequests) {
    Coordinator& c = collapsed();
    reader->allReads.hold();
    c.refreshItems();
    // Opening the below-bar panel asks for one too.
    c.setBelowBar(true);
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(fullReads().size(), 1U);

    reader->allReads.release(readOf({item(alpha)}));
    executor.runUntilIdle();
    EXPECT_FALSE(Probe::refreshTask(c));
    EXPECT_THAT(Probe::items(c), ElementsAre(item(alpha)));
    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(fullReads().size(), 2U);
}

TEST_F(Reading, ARefreshAnsweredAfterShutdownIsDropped) {
    Coordinator& c = collapsed();
    reader->allReads.hold();
    c.refreshItems();
    executor.runUntilIdle();
    c.shutdown();
    take();
    reader->allReads.release(readOf({item(alpha)}));
    executor.runUntilIdle();
    EXPECT_THAT(Probe::items(c), IsEmpty());
    EXPECT_THAT(events, IsEmpty());

    c.refreshItems();
    executor.runUntilIdle();
    EXPECT_EQ(fullReads().size(), 1U);
}

TEST_F(Reading, TheMarkIsGivenOnlyAfterThreeSecondsWithoutRestriction) {
    Coordinator& c = collapsed();
    // An allow plan in force.
    EXPECT_EQ(Probe::readMark(c), std::nullopt);
    executor.advanceBy(10s);
    EXPECT_EQ(Probe::readMark(c), std::nullopt);

    c.pause();
    executor.runUntilIdle();
    EXPECT_EQ(Probe::readMark(c), std::nullopt);
    executor.advanceBy(3s - 1ns);
    EXPECT_EQ(Probe::readMark(c), std::nullopt);
    executor.advanceBy(1ns);
    EXPECT_EQ(Probe::readMark(c), Probe::restrictGeneration(c));

    // A restriction asked for again takes the mark away at once.
    visibility->replies.hold();
    c.resume();
    givenCollapsed();
    EXPECT_EQ(Probe::readMark(c), std::nullopt);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
