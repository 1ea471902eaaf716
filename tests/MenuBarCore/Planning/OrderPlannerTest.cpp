#include "MenuBarCore/Planning/OrderPlanner.h"

#include "Support/ModelPrinters.h"

#include <algorithm>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const std::string self = "app.trayvane.pellacor";
const std::string standIn = "UserSwitcherStandIn";
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

std::string key(const std::string& bundleID, const std::string& name = "Item-0") {
    return "status:" + bundleID + "::" + name;
}
std::string own(const std::string& name) {
    return key(self, name);
}
const std::string control = own("Item-0");
const std::string follower = own(standIn);

Profile profile(std::map<AppKey, Section> sections, std::vector<AppKey> order,
                Section newItemSection = Section::hidden) {
    return Profile(Uuid::random(), "ふだん", std::move(sections), std::move(order), newItemSection);
}

std::vector<AppKey> apps(std::initializer_list<const char*> ids) {
    std::vector<AppKey> keys;
    for (const char* id : ids) {
        keys.emplace_back(id);
    }
    return keys;
}

// Equal keys, and positions equal up to rounding of the arithmetic.
void expectTable(const LayoutTable& actual, const LayoutTable& expected, const std::string& label) {
    ASSERT_EQ(actual.size(), expected.size()) << label;
    for (const auto& [k, position] : expected) {
        auto found = actual.find(k);
        ASSERT_NE(found, actual.end()) << label << ": no " << k;
        EXPECT_DOUBLE_EQ(found->second, position) << label << ": " << k;
    }
}

} // namespace

TEST(OrderPlannerTest, ParseSplitsAtTheFirstSeparator) {
    struct Case {
        const char* key;
        std::optional<OrderPlanner::Key> expected;
    };
    const std::vector<Case> cases{
        {"status:com.example.a::Item-0", OrderPlanner::Key{"com.example.a", "Item-0"}},
        {"status:com.example.a::group::clock", OrderPlanner::Key{"com.example.a", "group::clock"}},
        {"status:com.example.a:::x", OrderPlanner::Key{"com.example.a", ":x"}},
        {"status:a::b", OrderPlanner::Key{"a", "b"}},
        {"status:::Item-0", std::nullopt},
        {"status:com.example.a::", std::nullopt},
        {"status:com.example.a", std::nullopt},
        {"status:com.example.a:Item-0", std::nullopt},
        {"com.example.a::Item-0", std::nullopt},
        {"Status:com.example.a::Item-0", std::nullopt},
        {"status:", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderPlanner::parse(c.key), c.expected) << c.key;
    }
}

TEST(OrderPlannerTest, ControlKeyIsTheOnlyOwnKeyOrTheOnlyItemZero) {
    struct Case {
        const char* label;
        LayoutTable table;
        std::set<std::string> keepNames;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases{
        {"single own key with any name", {{own("Item-7"), 1}, {key("com.example.a"), 2}}, {}, own("Item-7")},
        {"Item-0 among generated names", {{own("Item-0"), 1}, {own("Item-1"), 2}}, {}, control},
        {"kept name set aside", {{control, 1}, {follower, 2}}, {standIn}, control},
        {"kept name set aside leaves a single other",
         {{own("Item-3"), 1}, {follower, 2}},
         {standIn},
         own("Item-3")},
        {"two own keys, neither Item-0", {{own("Item-1"), 1}, {own("Item-2"), 2}}, {}, std::nullopt},
        {"only kept names", {{follower, 2}}, {standIn}, std::nullopt},
        {"no own key", {{key("com.example.a"), 1}}, {}, std::nullopt},
        {"empty table", {}, {}, std::nullopt},
        {"other owners' Item-0 do not count",
         {{key("com.example.a"), 1}, {own("Item-5"), 2}},
         {},
         own("Item-5")},
        {"similar bundle is not the program", {{key(self + ".helper"), 1}}, {}, std::nullopt},
        {"unparsable own-looking key ignored", {{"status:" + self + "::", 1}, {own("x"), 2}}, {}, own("x")},
        {"non-finite own key ignored", {{control, notANumber}, {own("Item-1"), 2}}, {}, own("Item-1")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderPlanner::controlKey(c.table, self, c.keepNames), c.expected) << c.label;
    }
}

TEST(OrderPlannerTest, CurrentOrderIsByLeftmostKeyOfEachApplication) {
    struct Case {
        const char* label;
        LayoutTable table;
        std::vector<AppKey> expected;
    };
    const std::vector<Case> cases{
        {"empty", {}, {}},
        {"largest position first", {{key("b"), 1}, {key("a"), 3}, {key("c"), 2}}, apps({"a", "c", "b"})},
        {"an application's leftmost key counts",
         {{key("a", "Item-0"), 1}, {key("a", "Item-1"), 9}, {key("b"), 5}},
         apps({"a", "b"})},
        {"ties by bundle identifier", {{key("z"), 4}, {key("m"), 4}, {key("a"), 1}}, apps({"m", "z", "a"})},
        {"program, Apple and unparsable keys left out",
         {{control, 10}, {key("com.apple.clock"), 9}, {"junk", 8}, {key("a"), 1}},
         apps({"a"})},
        {"non-finite positions left out",
         {{key("a", "Item-0"), infinity},
          {key("a", "Item-1"), 1},
          {key("b"), 2},
          {key("c"), notANumber},
          {key("d"), -infinity}},
         apps({"b", "a"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderPlanner::currentOrder(c.table, self), c.expected) << c.label;
    }
}

TEST(OrderPlannerTest, MissingShownKeysCoverShownApplicationsWithoutKeys) {
    const Profile shownByDefault =
        profile({{AppKey("h"), Section::hidden}, {AppKey("s"), Section::shown}}, {}, Section::shown);
    const Profile hiddenByDefault = profile({{AppKey("s"), Section::shown}}, {}, Section::hidden);
    struct Case {
        const char* label;
        LayoutTable table;
        const Profile& profile;
        std::map<AppKey, int> counts;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"count 0 still gives one key", {}, shownByDefault, {{AppKey("s"), 0}}, {key("s", "Item-0")}},
        {"negative count gives one key", {}, shownByDefault, {{AppKey("s"), -2}}, {key("s", "Item-0")}},
        {"one key per item",
         {},
         shownByDefault,
         {{AppKey("s"), 3}},
         {key("s", "Item-0"), key("s", "Item-1"), key("s", "Item-2")}},
        {"by bundle identifier",
         {},
         shownByDefault,
         {{AppKey("z"), 1}, {AppKey("s"), 1}},
         {key("s"), key("z")}},
        {"a key under any name is enough", {{key("s", "clock"), 1}}, shownByDefault, {{AppKey("s"), 2}}, {}},
        {"an unparsable key is not", {{"status:s", 1}}, shownByDefault, {{AppKey("s"), 1}}, {key("s")}},
        {"a non-finite key is not", {{key("s"), notANumber}}, shownByDefault, {{AppKey("s"), 1}}, {key("s")}},
        {"hidden application skipped", {}, shownByDefault, {{AppKey("h"), 1}}, {}},
        {"unknown application takes the new-item section (shown)",
         {},
         shownByDefault,
         {{AppKey("u"), 1}},
         {key("u")}},
        {"unknown application takes the new-item section (hidden)",
         {},
         hiddenByDefault,
         {{AppKey("u"), 1}},
         {}},
        {"Apple and the program skipped",
         {},
         shownByDefault,
         {{AppKey("com.apple.clock"), 1}, {AppKey(self), 2}},
         {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderPlanner::missingShownKeys(c.table, c.profile, self, c.counts), c.expected) << c.label;
    }
}

TEST(OrderPlannerTest, AppleKeysLeftOfControlAreRunningAndLeftOfIt) {
    const std::string clock = key("com.apple.clock");
    const std::string wifi = key("com.apple.wifi");
    const std::set<AppKey> running{AppKey("com.apple.clock"), AppKey("com.apple.wifi")};
    struct Case {
        const char* label;
        LayoutTable table;
        std::set<AppKey> running;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"left of control", {{control, 5}, {clock, 6}, {wifi, 4}}, running, {clock}},
        {"equal to control is not left", {{control, 5}, {clock, 5}}, running, {}},
        {"not running", {{control, 5}, {clock, 6}}, {AppKey("com.apple.wifi")}, {}},
        {"other applications are not Apple's",
         {{control, 5}, {key("com.example.a"), 6}},
         {AppKey("com.example.a")},
         {}},
        {"no control", {{clock, 6}}, running, {}},
        {"follower is kept apart from the control",
         {{control, 5}, {follower, 9}, {clock, 6}},
         running,
         {clock}},
        {"non-finite Apple key ignored", {{control, 5}, {clock, infinity}}, running, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OrderPlanner::appleKeysLeftOfControl(c.table, self, {standIn}, c.running), c.expected)
            << c.label;
    }
}

TEST(OrderPlannerTest, LongestDecreasingTakesTheEarliestLongestRun) {
    struct Case {
        const char* label;
        std::vector<double> positions;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"empty", {}, {}},
        {"single", {3}, {"k0"}},
        {"already decreasing", {4, 3, 2, 1}, {"k0", "k1", "k2", "k3"}},
        {"increasing: the first key", {1, 2, 3}, {"k0"}},
        {"earliest predecessor wins", {5, 3, 4, 1, 2}, {"k0", "k1", "k3"}},
        {"equal positions do not decrease", {2, 2, 1}, {"k0", "k2"}},
        {"first of the longest ends", {1, 3, 2, 5, 4}, {"k1", "k2"}},
    };
    for (const auto& c : cases) {
        LayoutTable table;
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            keys.push_back(fmt::format("k{}", i));
            table[keys.back()] = c.positions[i];
        }
        EXPECT_EQ(OrderPlanner::longestDecreasing(keys, table), c.expected) << c.label;
    }
    // Keys the table does not hold, or holds without a usable position, take no part.
    const LayoutTable table{{"a", 5}, {"c", 3}, {"d", notANumber}};
    EXPECT_EQ(OrderPlanner::longestDecreasing({"a", "b", "c", "d"}, table),
              (std::vector<std::string>{"a", "c"}));
}

TEST(OrderPlannerTest, PlanMovesTheFewestKeysIntoProfileOrder) {
    const std::string a = key("com.example.a");
    const std::string b = key("com.example.b");
    const std::string x = key("com.example.x");
    const std::string d = key("com.example.d");
    const std::string h = key("com.example.h");
    const std::string h2 = key("com.example.h2");
    const std::string u = key("com.example.u");
    const std::string clock = key("com.apple.clock");
    const AppKey A("com.example.a"), B("com.example.b"), X("com.example.x"), D("com.example.d"),
        H("com.example.h"), H2("com.example.h2"), U("com.example.u");
    const std::map<AppKey, Section> sections{{A, Section::shown},  {B, Section::shown},
                                             {X, Section::shown},  {D, Section::shown},
                                             {H, Section::hidden}, {H2, Section::alwaysHidden}};
    const Profile standard = profile(sections, {H, H2, A, B, X, D});

    struct Case {
        const char* label;
        LayoutTable table;
        Profile profile;
        std::optional<std::set<AppKey>> movable;
        std::vector<std::string> newKeys;
        std::vector<std::string> appleKeys;
        LayoutTable expected;
    };
    const std::vector<Case> cases{
        {"already in order", {{h, 10}, {h2, 9}, {control, 5}, {a, 3}, {b, 2}}, standard, {}, {}, {}, {}},
        {"hidden right of control moves left (left end: up from the control)",
         {{control, 5}, {a, 3}, {h, 2}},
         standard,
         {},
         {},
         {},
         {{h, 5.25}}},
        {"shown left of control moves right",
         {{a, 7}, {control, 5}, {b, 3}},
         standard,
         {},
         {},
         {},
         {{a, 4.75}}},
        {"wide gap: steps of 0.25 from the upper anchor",
         {{a, 10}, {b, 9}, {x, 8}, {control, 5}, {d, 4}},
         standard,
         {},
         {},
         {},
         {{a, 4.75}, {b, 4.5}, {x, 4.25}}},
        {"narrow gap divided evenly",
         {{a, 10}, {b, 9}, {x, 8}, {control, 5}, {d, 4.9}},
         standard,
         {},
         {},
         {},
         {{a, 4.975}, {b, 4.95}, {x, 4.925}}},
        {"right end: steps of 0.25 down from the last key",
         {{a, 10}, {b, 9}, {control, 5}},
         standard,
         {},
         {},
         {},
         {{a, 4.75}, {b, 4.5}}},
        {"the control item never moves",
         {{a, 9}, {b, 8}, {control, 5}, {h2, 2}, {h, 1}},
         standard,
         {},
         {},
         {},
         {{h, 5.5}, {h2, 5.25}, {a, 4.75}, {b, 4.5}}},
        {"profile rank orders a side", {{h2, 10}, {h, 9}, {control, 5}}, standard, {}, {}, {}, {{h2, 8.75}}},
        {"unranked applications after ranked ones",
         {{control, 5}, {u, 4}, {a, 3}},
         profile({{A, Section::shown}, {U, Section::shown}}, {A}),
         {},
         {},
         {},
         {{u, 2.75}}},
        {"absent from sections: new-item section hidden",
         {{control, 5}, {u, 3}},
         standard,
         {},
         {},
         {},
         {{u, 5.25}}},
        {"absent from sections: new-item section shown",
         {{control, 5}, {u, 3}},
         profile(sections, {}, Section::shown),
         {},
         {},
         {},
         {}},
        {"new keys land right of the control, between their neighbours",
         {{control, 5}, {a, 3}, {d, 1}},
         standard,
         {},
         {key("com.example.b", "Item-0"), key("com.example.b", "Item-1")},
         {},
         {{key("com.example.b", "Item-1"), 2.75}, {key("com.example.b", "Item-0"), 2.5}}},
        {"a new key already in the table is not added again",
         {{control, 5}, {a, 3}},
         standard,
         {},
         {a},
         {},
         {}},
        {"a new hidden key that stays where it was added is not in the result",
         {{control, 5}},
         standard,
         {},
         {h},
         {},
         {}},
        {"Apple keys go right of the shown keys",
         {{clock, 8}, {control, 5}, {a, 3}},
         standard,
         {},
         {},
         {clock},
         {{clock, 2.75}}},
        {"Apple keys go right of shown keys even unranked ones",
         {{clock, 8}, {control, 5}, {u, 3}},
         profile(sections, {}, Section::shown),
         {},
         {},
         {clock},
         {{clock, 2.75}}},
        {"Apple keys not asked for stay", {{clock, 8}, {control, 5}, {a, 3}}, standard, {}, {}, {}, {}},
        {"Apple keys the table lacks, or that do not parse, are ignored",
         {{"junk", 8}, {control, 5}, {a, 3}},
         standard,
         {},
         {},
         {"junk", clock},
         {}},
        {"only movable applications move",
         {{control, 5}, {h2, 3}, {h, 2}},
         standard,
         std::set<AppKey>{H},
         {},
         {},
         {{h, 5.25}}},
        {"unparsable and own kept keys never move",
         {{"junk", 1}, {"status:::x", 0.5}, {follower, 9}, {control, 5}},
         standard,
         {},
         {},
         {},
         {}},
        {"non-finite entries are neither moved nor used as anchors",
         {{h, notANumber}, {a, infinity}, {control, 5}, {b, 9}, {d, -infinity}},
         standard,
         {},
         {},
         {},
         {{b, 4.75}}},
        {"a new key whose entry is not finite gets a finite place",
         {{b, notANumber}, {control, 5}, {a, infinity}},
         standard,
         {},
         {b},
         {},
         {{b, 4.75}}},
    };
    for (const auto& c : cases) {
        std::set<std::string> keep{standIn};
        auto result = OrderPlanner::plan(c.table, c.profile, self, keep, std::nullopt, c.movable, c.newKeys,
                                         c.appleKeys);
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(result)) << c.label;
        expectTable(std::get<LayoutTable>(result), c.expected, c.label);
    }
}

// Beyond about 2^51 a quarter is lost in rounding: the planned positions must
// still be apart and in the wanted order, so that planning again finds nothing
// to do only once the bar is in order.
TEST(OrderPlannerTest, PlanAtHugePositionsNeverTiesAndReachesTheOrder) {
    const std::string a = key("com.example.a");
    const std::string b = key("com.example.b");
    const std::string h = key("com.example.h");
    const std::string h2 = key("com.example.h2");
    const AppKey A("com.example.a"), B("com.example.b"), H("com.example.h"), H2("com.example.h2");
    const Profile p =
        profile({{A, Section::shown}, {B, Section::shown}, {H, Section::hidden}, {H2, Section::hidden}},
                {H, H2, A, B});
    constexpr double huge = 1e17; // doubles there are 16 apart
    struct Case {
        const char* label;
        LayoutTable table;
        std::vector<std::string> newKeys;
    };
    const std::vector<Case> cases{
        {"hidden right of the control, shown left of it",
         {{a, huge + 64}, {control, huge}, {h, huge - 64}},
         {}},
        {"a run between neighbours one double apart moves a neighbour along",
         {{h, huge + 16}, {control, huge}, {a, huge - 16}, {h2, huge - 32}, {b, huge - 48}},
         {}},
        {"no double left between the control and its left neighbour",
         {{h2, huge + 16}, {control, huge}, {h, huge - 16}},
         {}},
        {"new keys at the far left", {{control, huge}, {a, huge - 16}}, {b}},
    };
    for (const auto& c : cases) {
        auto result =
            OrderPlanner::plan(c.table, p, self, {standIn}, std::nullopt, std::nullopt, c.newKeys, {});
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(result)) << c.label;
        const auto& changes = std::get<LayoutTable>(result);
        EXPECT_FALSE(changes.empty()) << c.label << ": the bar is not in order yet";
        EXPECT_FALSE(changes.contains(control)) << c.label;

        LayoutTable merged = c.table;
        for (const auto& newKey : c.newKeys) {
            merged.emplace(newKey, 0); // stands for where it was added, moved by the plan
        }
        for (const auto& [k, position] : changes) {
            merged.insert_or_assign(k, position);
        }
        std::set<double> distinct;
        for (const auto& [k, position] : merged) {
            distinct.insert(position);
        }
        EXPECT_EQ(distinct.size(), merged.size()) << c.label << ": no two positions tie";
        // Left to right as the profile wants: h, h2, the control item, a, b.
        std::vector<std::pair<double, std::string>> bar;
        for (const auto& [k, position] : merged) {
            bar.emplace_back(-position, k);
        }
        std::sort(bar.begin(), bar.end());
        std::vector<std::string> order;
        for (const auto& entry : bar) {
            order.push_back(entry.second);
        }
        std::vector<std::string> wanted;
        for (const auto& k : {h, h2, control, a, b}) {
            if (merged.contains(k)) {
                wanted.push_back(k);
            }
        }
        EXPECT_EQ(order, wanted) << c.label;
        auto again = OrderPlanner::plan(merged, p, self, {standIn}, std::nullopt, std::nullopt, {}, {});
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(again)) << c.label;
        EXPECT_TRUE(std::get<LayoutTable>(again).empty()) << c.label << ": the planned order holds";
    }

    // At the very end of the finite range the wanted order cannot be written: a refusal, not "in order".
    constexpr double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(OrderPlanner::plan({{control, largest}, {h, 1}}, p, self, {standIn}, std::nullopt, std::nullopt,
                                 {}, {}),
              OrderPlanner::PlanResult(OrderPlanner::Refusal::noRoom));
}

TEST(OrderPlannerTest, PlanRefusesWithoutAControlItem) {
    const Profile p = profile({}, {});
    const std::vector<std::pair<const char*, LayoutTable>> cases{
        {"empty table", {}},
        {"no own key", {{key("com.example.a"), 1}}},
        {"two own keys, neither Item-0", {{own("Item-1"), 1}, {own("Item-2"), 2}}},
        {"only the kept name", {{follower, 1}}},
        {"own key not finite", {{control, notANumber}}},
    };
    for (const auto& [label, table] : cases) {
        auto result = OrderPlanner::plan(table, p, self, {standIn}, std::nullopt, std::nullopt, {}, {});
        EXPECT_EQ(result, OrderPlanner::PlanResult(OrderPlanner::Refusal::noControl)) << label;
    }
    // The follower's name is set aside like a kept name, which can make the control item clear.
    const LayoutTable twoOwn{{own("Item-1"), 5}, {follower, 4.9}};
    EXPECT_EQ(OrderPlanner::plan(twoOwn, p, self, {}, std::nullopt, std::nullopt, {}, {}),
              OrderPlanner::PlanResult(OrderPlanner::Refusal::noControl));
    EXPECT_TRUE(std::holds_alternative<LayoutTable>(
        OrderPlanner::plan(twoOwn, p, self, {}, standIn, std::nullopt, {}, {})));
}

TEST(OrderPlannerTest, PlanPlacesTheFollowerNextToTheControlInThePlannedTable) {
    const std::string a = key("com.example.a");
    const std::string b = key("com.example.b");
    const AppKey A("com.example.a"), B("com.example.b");
    const Profile p = profile({{A, Section::shown}, {B, Section::shown}}, {A, B});
    struct Case {
        const char* label;
        LayoutTable table;
        LayoutTable expected;
    };
    const std::vector<Case> cases{
        {"far left: halfway to the nearest key, at most 0.25",
         {{follower, 9}, {control, 5}, {a, 3}},
         {{follower, 4.75}}},
        {"already next to the control", {{control, 5}, {follower, 4}, {a, 3}}, {}},
        {"a moved key takes the gap: the follower is placed after it",
         {{a, 9}, {control, 5}, {follower, 4.95}, {b, 4.9}},
         {{a, 4.95}, {follower, 4.975}}},
        {"not in the table: nothing to place", {{control, 5}, {a, 3}}, {}},
    };
    for (const auto& c : cases) {
        auto result = OrderPlanner::plan(c.table, p, self, {}, standIn, std::nullopt, {}, {});
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(result)) << c.label;
        expectTable(std::get<LayoutTable>(result), c.expected, c.label);
    }
}

TEST(OrderPlannerTest, FollowerValueSitsBetweenControlAndNearestKey) {
    struct Case {
        const char* label;
        LayoutTable table;
        std::set<std::string> keepNames;
        std::optional<double> expected;
    };
    const std::vector<Case> cases{
        {"no follower key", {{control, 5}}, {}, std::nullopt},
        {"no control", {{follower, 5}, {own("Item-1"), 4}, {own("Item-2"), 3}}, {}, std::nullopt},
        {"right of the control, nothing below: stays", {{control, 5}, {follower, 1}}, {}, std::nullopt},
        {"at the control, nothing below", {{control, 5}, {follower, 5}}, {}, 4.75},
        {"left of the control, nothing below", {{control, 5}, {follower, 8}}, {}, 4.75},
        {"already between control and nearest key",
         {{control, 5}, {follower, 4}, {key("a"), 3}},
         {},
         std::nullopt},
        {"beyond the nearest key, wide gap", {{control, 5}, {key("a"), 1}, {follower, 0}}, {}, 4.75},
        {"beyond the nearest key, narrow gap", {{control, 5}, {key("a"), 4.9}, {follower, 3}}, {}, 4.95},
        {"level with the nearest key", {{control, 5}, {key("a"), 4}, {follower, 4}}, {}, 4.75},
        {"left of the control with a key below", {{follower, 7}, {control, 5}, {key("a"), 4.5}}, {}, 4.75},
        {"keys at or above the control are not below it",
         {{control, 5}, {key("a"), 5}, {follower, 6}},
         {},
         4.75},
        {"any key counts as nearest: unparsable, Apple, kept",
         {{control, 5}, {"junk", 4.96}, {key("com.apple.clock"), 4.9}, {follower, 3}},
         {},
         4.98},
        {"kept own key counts as nearest, not as control",
         {{control, 5}, {own("Other"), 4.8}, {follower, 3}},
         {"Other"},
         4.9},
        {"non-finite keys ignored",
         {{control, 5}, {key("a"), -infinity}, {key("b"), notANumber}, {follower, 6}},
         {},
         4.75},
        {"non-finite follower counts as absent", {{control, 5}, {follower, notANumber}}, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        auto value = OrderPlanner::followerValue(c.table, self, standIn, c.keepNames);
        if (c.expected) {
            ASSERT_TRUE(value.has_value()) << c.label;
            EXPECT_DOUBLE_EQ(*value, *c.expected) << c.label;
        } else {
            EXPECT_EQ(value, std::nullopt) << c.label;
        }
    }
    EXPECT_EQ(OrderPlanner::followerKey("com.example.me", "Stand"), "status:com.example.me::Stand");
}

// Far from zero a slot is smaller than the step between doubles; the follower
// must still land strictly inside the control item's gap, so that the next
// pass finds it settled instead of planning it again for ever.
TEST(OrderPlannerTest, FollowerSettlesAtHugePositions) {
    const std::string other = "status:com.example.a::Item-0";
    const double huge = 3e19;
    const std::vector<std::pair<const char*, LayoutTable>> cases{
        {"nothing below", {{control, huge}, {follower, huge}}},
        {"a key below, the follower beyond it",
         {{control, huge}, {other, huge * (1 - 1e-15)}, {follower, 1}}},
    };
    for (auto [label, table] : cases) {
        auto value = OrderPlanner::followerValue(table, self, standIn, {});
        ASSERT_TRUE(value.has_value()) << label;
        EXPECT_LT(*value, huge) << label;
        table[follower] = *value;
        EXPECT_EQ(OrderPlanner::followerValue(table, self, standIn, {}), std::nullopt) << label;
    }
}

} // namespace PELLACOR_TEST_FILE
