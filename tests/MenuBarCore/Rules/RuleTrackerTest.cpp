#include "MenuBarCore/Rules/RuleTracker.h"

#include "MenuBarCore/Support/JsonCoding.h"
#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const Uuid P0 = *Uuid::parse("00000000-0000-0000-0000-0000000000B0");
const Uuid X = *Uuid::parse("00000000-0000-0000-0000-0000000000B1");
const Uuid Y = *Uuid::parse("00000000-0000-0000-0000-0000000000B2");
const Uuid F = *Uuid::parse("00000000-0000-0000-0000-0000000000B3");
const Uuid gone = *Uuid::parse("00000000-0000-0000-0000-0000000000BF");
const std::unordered_set<Uuid> profiles{P0, X, Y, F};

const AppRule R1(*Uuid::parse("00000000-0000-0000-0000-0000000000C1"), "a", AppRule::Condition::running, X);
const AppRule R2(*Uuid::parse("00000000-0000-0000-0000-0000000000C2"), "b", AppRule::Condition::frontmost, Y);
const AppRule RGone(*Uuid::parse("00000000-0000-0000-0000-0000000000C3"), "c", AppRule::Condition::running,
                    gone);

using Action = RuleTracker::Action;
const RuleTracker fresh;

RuleTracker tracker(std::optional<Uuid> active, std::optional<Uuid> base, bool overridden) {
    return RuleTracker(active, base, overridden);
}

} // namespace

TEST(RuleTrackerTest, EvaluateFollowsItsDecisionTable) {
    struct Case {
        const char* name;
        RuleTracker before;
        std::optional<AppRule> winner;
        std::optional<Uuid> current;
        RuleTracker after;
        Action result;
    };
    const std::vector<Case> cases{
        // 1: no winner, no rule in force.
        {"1 idle stays idle", fresh, std::nullopt, P0, fresh, Action::none()},
        {"1 a stray base is left alone", tracker(std::nullopt, X, true), std::nullopt, P0,
         tracker(std::nullopt, X, true), Action::none()},
        // 2-4: the rule stops winning.
        {"2 overridden: fresh, base not restored", tracker(R1.id(), P0, true), std::nullopt, X, fresh,
         Action::none()},
        {"3 no base: fresh", tracker(R1.id(), std::nullopt, false), std::nullopt, X, fresh, Action::none()},
        {"4 base restored", tracker(R1.id(), P0, false), std::nullopt, X, fresh, Action::switchTo(P0)},
        {"4 base already active", tracker(R1.id(), P0, false), std::nullopt, P0, fresh, Action::none()},
        {"4 base deleted", tracker(R1.id(), gone, false), std::nullopt, X, fresh, Action::none()},
        {"4 no current profile", tracker(R1.id(), P0, false), std::nullopt, std::nullopt, fresh,
         Action::switchTo(P0)},
        // 5-6: the same rule keeps winning.
        {"5 overridden is respected", tracker(R1.id(), P0, true), R1, P0, tracker(R1.id(), P0, true),
         Action::none()},
        {"6 switches back to the rule's profile", tracker(R1.id(), P0, false), R1, P0,
         tracker(R1.id(), P0, false), Action::switchTo(X)},
        {"6 rule's profile already active", tracker(R1.id(), P0, false), R1, X, tracker(R1.id(), P0, false),
         Action::none()},
        // 7: from no rule to some rule.
        {"7 records the base", fresh, R1, P0, tracker(R1.id(), P0, false), Action::switchTo(X)},
        {"7 no current profile", fresh, R1, std::nullopt, tracker(R1.id(), std::nullopt, false),
         Action::switchTo(X)},
        {"7 winner's profile already active", fresh, R1, X, tracker(R1.id(), X, false), Action::none()},
        {"7 winner's profile deleted is still recorded", fresh, RGone, P0, tracker(RGone.id(), P0, false),
         Action::none()},
        {"7 replaces a stray base and override", tracker(std::nullopt, F, true), R1, P0,
         tracker(R1.id(), P0, false), Action::switchTo(X)},
        // 8: one rule hands over to another.
        {"8 keeps the base, clears the override", tracker(R1.id(), P0, true), R2, X,
         tracker(R2.id(), P0, false), Action::switchTo(Y)},
        {"8 keeps an absent base", tracker(R1.id(), std::nullopt, false), R2, X,
         tracker(R2.id(), std::nullopt, false), Action::switchTo(Y)},
        {"8 winner's profile deleted", tracker(R1.id(), P0, false), RGone, X, tracker(RGone.id(), P0, false),
         Action::none()},
        {"8 stale rule id", tracker(gone, P0, false), R1, P0, tracker(R1.id(), P0, false),
         Action::switchTo(X)},
    };
    for (const auto& c : cases) {
        auto subject = c.before;
        auto result = subject.evaluate(c.winner, c.current, profiles);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(subject, c.after) << c.name;
    }
}

TEST(RuleTrackerTest, ARuleGivesTheUsersProfileBackWhenItEnds) {
    RuleTracker subject;
    EXPECT_EQ(subject.evaluate(R1, P0, profiles), Action::switchTo(X));
    EXPECT_TRUE(subject.isApplying());
    EXPECT_EQ(subject.evaluate(std::nullopt, X, profiles), Action::switchTo(P0));
    EXPECT_EQ(subject, fresh);
    EXPECT_FALSE(subject.isApplying());
}

TEST(RuleTrackerTest, AManualSwitchHoldsWhileTheSameRuleWins) {
    RuleTracker subject;
    EXPECT_EQ(subject.evaluate(R1, P0, profiles), Action::switchTo(X));
    subject.userSwitched();
    EXPECT_EQ(subject, tracker(R1.id(), P0, true));
    EXPECT_FALSE(subject.isApplying());
    EXPECT_EQ(subject.evaluate(R1, F, profiles), Action::none());
    EXPECT_EQ(subject.evaluate(std::nullopt, F, profiles), Action::none());
    EXPECT_EQ(subject, fresh);
}

TEST(RuleTrackerTest, AChainOfRulesEndsOnTheProfileFromBeforeTheFirst) {
    RuleTracker subject;
    EXPECT_EQ(subject.evaluate(R1, P0, profiles), Action::switchTo(X));
    EXPECT_EQ(subject.evaluate(R2, X, profiles), Action::switchTo(Y));
    EXPECT_EQ(subject, tracker(R2.id(), P0, false));
    EXPECT_EQ(subject.evaluate(std::nullopt, Y, profiles), Action::switchTo(P0));
}

TEST(RuleTrackerTest, RemovingTheBaseMovesItToTheFallback) {
    // Base deleted while the rule applies: the end of the rule goes to the fallback.
    RuleTracker subject;
    (void)subject.evaluate(R1, P0, profiles);
    subject.profileRemoved(P0, F);
    EXPECT_EQ(subject, tracker(R1.id(), F, false));
    EXPECT_EQ(subject.evaluate(std::nullopt, X, {X, Y, F}), Action::switchTo(F));

    // ... unless the fallback is already active.
    subject = tracker(R1.id(), P0, false);
    subject.profileRemoved(P0, F);
    EXPECT_EQ(subject.evaluate(std::nullopt, F, {X, Y, F}), Action::none());

    // Without a fallback the end of the rule switches nowhere.
    subject = tracker(R1.id(), P0, false);
    subject.profileRemoved(P0, std::nullopt);
    EXPECT_EQ(subject, tracker(R1.id(), std::nullopt, false));
    EXPECT_EQ(subject.evaluate(std::nullopt, X, {X, Y, F}), Action::none());

    // Removing another profile leaves the tracker alone, also its rule and override.
    subject = tracker(R1.id(), P0, true);
    subject.profileRemoved(X, F);
    EXPECT_EQ(subject, tracker(R1.id(), P0, true));
}

TEST(RuleTrackerTest, UserSwitchedMarksOnlyARuleInForce) {
    RuleTracker subject;
    subject.userSwitched();
    EXPECT_EQ(subject, fresh);

    subject = tracker(R1.id(), P0, true);
    subject.userSwitched();
    EXPECT_EQ(subject, tracker(R1.id(), P0, true));

    subject = tracker(std::nullopt, P0, false);
    subject.userSwitched();
    EXPECT_EQ(subject, tracker(std::nullopt, P0, false));
}

TEST(RuleTrackerTest, DecodingIsLenientFieldByField) {
    const std::string a = "00000000-0000-0000-0000-0000000000C1";
    const std::string b = "00000000-0000-0000-0000-0000000000B0";
    struct Case {
        std::string json;
        RuleTracker expected;
    };
    const std::vector<Case> cases{
        {R"({"activeRuleID":")" + a + R"(","baseProfileID":")" + b + R"(","overridden":true})",
         tracker(R1.id(), P0, true)},
        {R"({"activeRuleID":"00000000-0000-0000-0000-0000000000c1","overridden":false,"extra":[1]})",
         tracker(R1.id(), std::nullopt, false)},
        {R"({"activeRuleID":null,"overridden":true})", tracker(std::nullopt, std::nullopt, true)},
        {R"({"activeRuleID":")" + a + R"(","overridden":"yes"})", tracker(R1.id(), std::nullopt, false)},
        {R"({"overridden":"true"})", fresh},
        {R"({"overridden":1})", fresh},
        {R"({"activeRuleID":"not a uuid","baseProfileID":7})", fresh},
        {R"({"activeRuleID":["x"],"baseProfileID":{},"overridden":null})", fresh},
        {R"({})", fresh},
        {"5", fresh},
        {R"("tracker")", fresh},
        {"[]", fresh},
        {"null", fresh},
    };
    for (const auto& c : cases) {
        auto decoded = decodeJsonText<RuleTracker>(c.json);
        ASSERT_TRUE(decoded) << c.json;
        EXPECT_EQ(*decoded, c.expected) << c.json;
    }
}

TEST(RuleTrackerTest, EncodingWritesIdsOnlyWhenPresent) {
    EXPECT_EQ(encodeJson(fresh), Json::parse(R"({"overridden":false})"));
    EXPECT_EQ(encodeJson(tracker(R1.id(), std::nullopt, true)),
              Json::parse(R"({"activeRuleID":"00000000-0000-0000-0000-0000000000C1","overridden":true})"));
    const auto full = tracker(R1.id(), P0, false);
    auto decoded = decodeJson<RuleTracker>(encodeJson(full));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, full);
}

} // namespace PELLACOR_TEST_FILE
