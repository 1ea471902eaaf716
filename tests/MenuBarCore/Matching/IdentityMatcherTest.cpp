#include "MenuBarCore/Matching/IdentityMatcher.h"

#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

ItemSnapshot item(std::string owner, int index, std::optional<std::string> identifier = std::nullopt,
                  std::optional<std::string> description = std::nullopt,
                  std::optional<std::string> title = std::nullopt) {
    return ItemSnapshot(std::move(owner), 7, std::move(identifier), std::move(description), std::move(title),
                        index, std::nullopt);
}

IdentityName byIdentifier(const char* owner, const char* identifier) {
    return IdentityName(AppKey(owner), IdentityName::Identifier{identifier});
}
IdentityName byIndex(const char* owner, int index) {
    return IdentityName(AppKey(owner), IdentityName::Index{index});
}
IdentityName byDescription(const char* owner, const char* text) {
    return IdentityName(AppKey(owner), IdentityName::Description{*IdentityName::fingerprint(text)});
}

std::vector<AppKey> apps(std::initializer_list<const char*> ids) {
    std::vector<AppKey> keys;
    for (const char* id : ids) {
        keys.emplace_back(id);
    }
    return keys;
}

} // namespace

TEST(IdentityMatcherTest, NewAppsListsUnknownNonAppleOwnersOnceInOrder) {
    struct Case {
        const char* label;
        std::vector<ItemSnapshot> items;
        std::set<AppKey> known;
        std::vector<AppKey> expected;
    };
    const std::vector<Case> cases{
        {"no items", {}, {AppKey("com.example.a")}, {}},
        {"owner of three items listed once",
         {item("com.example.a", 0), item("com.example.a", 1), item("com.example.a", 2)},
         {},
         apps({"com.example.a"})},
        {"order of first appearance, not of names",
         {item("org.zeta", 0), item("com.example.a", 0), item("org.zeta", 1), item("net.mid", 0)},
         {},
         apps({"org.zeta", "com.example.a", "net.mid"})},
        {"known owners skipped",
         {item("com.example.a", 0), item("com.example.b", 0)},
         {AppKey("com.example.a")},
         apps({"com.example.b"})},
        {"Apple owners never listed, known or not",
         {item("com.apple.clock", 0), item("com.apple.wifi", 0), item("com.example.a", 0)},
         {AppKey("com.apple.wifi")},
         apps({"com.example.a"})},
        {"\"com.apple\" without the dot is not Apple's",
         {item("com.apple", 0), item("com.applesauce.x", 0)},
         {},
         apps({"com.apple", "com.applesauce.x"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IdentityMatcher::newApps(c.items, c.known), c.expected) << c.label;
    }
}

TEST(IdentityMatcherTest, UniqueNamesFallBackToIndexOnCollision) {
    struct Case {
        const char* label;
        std::vector<ItemSnapshot> items;
        std::vector<IdentityName> expected;
    };
    const std::vector<Case> cases{
        {"empty", {}, {}},
        {"distinct names kept",
         {item("a", 0, "x"), item("a", 1, "y"), item("a", 2, std::nullopt, "Battery 4 %")},
         {byIdentifier("a", "x"), byIdentifier("a", "y"), byDescription("a", "Battery 4 %")}},
        {"same identifier in one owner: both by index",
         {item("a", 0, "x"), item("a", 1, "y"), item("a", 5, "x")},
         {byIndex("a", 0), byIdentifier("a", "y"), byIndex("a", 5)}},
        {"same identifier under two owners: no collision",
         {item("a", 0, "x"), item("b", 0, "x")},
         {byIdentifier("a", "x"), byIdentifier("b", "x")}},
        {"descriptions differing only in digits collide",
         {item("a", 0, std::nullopt, "CPU 12 %"), item("a", 1, std::nullopt, "CPU 80 %"),
          item("a", 2, std::nullopt, "RAM 3 GB")},
         {byIndex("a", 0), byIndex("a", 1), byDescription("a", "RAM 3 GB")}},
        {"three of a kind",
         {item("a", 2, "x"), item("a", 0, "x"), item("a", 1, "x")},
         {byIndex("a", 2), byIndex("a", 0), byIndex("a", 1)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IdentityMatcher::uniqueNames(c.items), c.expected) << c.label;
    }
}

TEST(IdentityMatcherTest, MatchPairsItemsWithKnownNames) {
    struct Row {
        IdentityName name;
        bool wasRenamed;
        bool isNew;
    };
    struct Case {
        const char* label;
        std::vector<ItemSnapshot> items;
        std::vector<IdentityName> known;
        std::vector<Row> expected;
    };
    const std::vector<Case> cases{
        {"nothing read", {}, {byIdentifier("a", "x")}, {}},
        {"nothing known: every row new",
         {item("a", 0, "x"), item("b", 0), item("a", 1, std::nullopt, "Battery")},
         {},
         {{byIdentifier("a", "x"), false, true},
          {byIndex("b", 0), false, true},
          {byDescription("a", "Battery"), false, true}}},
        {"exact names kept",
         {item("a", 0, "x"), item("a", 1, "y")},
         {byIdentifier("a", "y"), byIdentifier("a", "x")},
         {{byIdentifier("a", "x"), false, false}, {byIdentifier("a", "y"), false, false}}},
        {"changed identifier takes the owner's unclaimed name",
         {item("a", 0, "x"), item("a", 1, "y2")},
         {byIdentifier("a", "x"), byIdentifier("a", "y")},
         {{byIdentifier("a", "x"), false, false}, {byIdentifier("a", "y"), true, false}}},
        {"known names of another owner are not taken",
         {item("a", 0, "new")},
         {byIdentifier("b", "old")},
         {{byIdentifier("a", "new"), false, true}}},
        {"leftovers take candidates by index, in known order, then are new",
         {item("a", 5, "p"), item("a", 1, "q"), item("a", 3, "r")},
         {byIdentifier("a", "k2"), byIdentifier("a", "k1")},
         {{byIdentifier("a", "p"), false, true},
          {byIdentifier("a", "k2"), true, false},
          {byIdentifier("a", "k1"), true, false}}},
        {"exact match claims first, so the renamed item gets what is left",
         {item("a", 0, "gone"), item("a", 1, "x")},
         {byIdentifier("a", "x"), byIdentifier("a", "y")},
         {{byIdentifier("a", "y"), true, false}, {byIdentifier("a", "x"), false, false}}},
        {"collided names match by their index names",
         {item("a", 0, "x"), item("a", 1, "x")},
         {byIndex("a", 1), byIndex("a", 0)},
         {{byIndex("a", 0), false, false}, {byIndex("a", 1), false, false}}},
        {"a name listed twice in known is handed out once",
         {item("a", 0, "p"), item("a", 1, "q")},
         {byIdentifier("a", "k"), byIdentifier("a", "k")},
         {{byIdentifier("a", "k"), true, false}, {byIdentifier("a", "q"), false, true}}},
        {"owners are matched separately",
         {item("b", 0, "b-new"), item("a", 0, "a-new"), item("b", 1, "b-old")},
         {byIdentifier("a", "a-old"), byIdentifier("b", "b-old"), byIdentifier("b", "b-spare")},
         {{byIdentifier("b", "b-spare"), true, false},
          {byIdentifier("a", "a-old"), true, false},
          {byIdentifier("b", "b-old"), false, false}}},
    };
    for (const auto& c : cases) {
        auto rows = IdentityMatcher::match(c.items, c.known);
        ASSERT_EQ(rows.size(), c.expected.size()) << c.label;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ItemMatch expected{c.items[i], c.expected[i].name, c.expected[i].wasRenamed,
                                     c.expected[i].isNew};
            EXPECT_EQ(rows[i], expected) << c.label << ", row " << i;
        }
    }
}

} // namespace PELLACOR_TEST_FILE
