#include "MenuBarCore/Rules/RuleEngine.h"

#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const Uuid X = *Uuid::parse("00000000-0000-0000-0000-0000000000A1");
const Uuid Y = *Uuid::parse("00000000-0000-0000-0000-0000000000A2");
const Uuid gone = *Uuid::parse("00000000-0000-0000-0000-0000000000FF");

AppRule rule(int n, std::string app, AppRule::Condition condition, Uuid profile) {
    auto id = *Uuid::parse("00000000-0000-0000-0000-00000000000" + std::to_string(n));
    return AppRule(id, std::move(app), condition, profile);
}

} // namespace

TEST(RuleEngineTest, PicksTheFirstRuleThatHoldsAndWhoseProfileExists) {
    using C = AppRule::Condition;
    const auto r1 = rule(1, "a", C::running, X);
    const auto r2 = rule(2, "b", C::frontmost, Y);
    const auto rGone = rule(3, "a", C::running, gone);
    const auto rFrontA = rule(4, "a", C::frontmost, Y);
    struct Case {
        const char* name;
        std::vector<AppRule> rules;
        std::unordered_set<std::string> running;
        std::optional<std::string> frontmost;
        std::unordered_set<Uuid> profileIDs;
        std::optional<AppRule> expected;
    };
    const std::vector<Case> cases{
        {"list order decides, not condition kind", {r1, r2}, {"a", "b"}, "b", {X, Y}, r1},
        {"rule of a deleted profile steps aside", {r1, r2}, {"a", "b"}, "b", {Y}, r2},
        {"deleted profile first in the list", {rGone, r2}, {"a", "b"}, "b", {X, Y}, r2},
        {"frontmost rule without a frontmost app", {r2}, {"a", "b"}, std::nullopt, {X, Y}, std::nullopt},
        {"frontmost rule for another app", {r2}, {"a", "b"}, "a", {X, Y}, std::nullopt},
        {"frontmost rule needs no running entry", {r2}, {}, "b", {X, Y}, r2},
        {"running rule for the frontmost app", {r1}, {"a"}, "a", {X, Y}, r1},
        {"running rule ignores frontmost", {r1}, {}, "a", {X, Y}, std::nullopt},
        {"letter case counts", {r1}, {"A"}, "A", {X, Y}, std::nullopt},
        {"a later rule wins when the first does not hold", {rFrontA, r1}, {"a"}, "b", {X, Y}, r1},
        {"no rules", {}, {"a"}, "a", {X, Y}, std::nullopt},
        {"no profiles", {r1, r2}, {"a", "b"}, "b", {}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleEngine::winning(c.rules, c.running, c.frontmost, c.profileIDs), c.expected) << c.name;
    }
}

} // namespace PELLACOR_TEST_FILE
