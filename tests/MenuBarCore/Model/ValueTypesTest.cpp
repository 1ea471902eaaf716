#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Model/Section.h"
#include "Support/ModelPrinters.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unordered_set>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

TEST(AppKeyTest, AppleApplicationsAreTheComAppleDotFamily) {
    struct Case {
        const char* bundleID;
        bool isApple;
    };
    for (auto c : std::vector<Case>{{"com.apple.clock", true},
                                    {"com.apple.", true},
                                    {"com.apple", false},
                                    {"com.applesoft.tool", false},
                                    {"Com.apple.clock", false},
                                    {"com.Apple.clock", false},
                                    {" com.apple.clock", false},
                                    {"", false}}) {
        EXPECT_EQ(AppKey(c.bundleID).isApple(), c.isApple) << c.bundleID;
    }
}

TEST(AppKeyTest, KeysCompareAndSortByTheirExactIdentifier) {
    EXPECT_NE(AppKey("com.example.App"), AppKey("com.example.app"));
    EXPECT_EQ(AppKey(""), AppKey(""));
    std::vector<AppKey> keys{AppKey("b.two"), AppKey("a.one.more"), AppKey("B.upper"), AppKey("a.one"),
                             AppKey("ä.umlaut")};
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<AppKey>{AppKey("B.upper"), AppKey("a.one"), AppKey("a.one.more"),
                                         AppKey("b.two"), AppKey("ä.umlaut")}));
    std::unordered_set<AppKey> set{AppKey("x"), AppKey("x"), AppKey("y")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(MenuBarStateTest, SevenStatesInOrderWithExactRawValues) {
    const std::vector<const char*> names{"starting", "needsPermission", "paused",         "collapsed",
                                         "revealed", "revealedAll",     "privacyOverride"};
    ASSERT_EQ(allMenuBarStates.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(rawValue(allMenuBarStates[i]), names[i]);
        EXPECT_EQ(toString(allMenuBarStates[i]), names[i]);
        EXPECT_EQ(menuBarStateFromRawValue(names[i]), allMenuBarStates[i]);
    }
    EXPECT_FALSE(menuBarStateFromRawValue("Collapsed"));
    EXPECT_FALSE(menuBarStateFromRawValue(""));
    EXPECT_EQ(toString(Section::alwaysHidden), "alwaysHidden");
    EXPECT_EQ(std::vector<Section>(allSections.begin(), allSections.end()),
              (std::vector<Section>{Section::shown, Section::hidden, Section::alwaysHidden}));
}

TEST(ItemSnapshotTest, KeepsOnlyAUsableIdentifierAndMarksAppleOwners) {
    struct Case {
        std::optional<std::string> raw;
        std::optional<std::string> kept;
    };
    for (const auto& c : std::vector<Case>{{std::nullopt, std::nullopt},
                                           {"", std::nullopt},
                                           {"_NS:42", std::nullopt},
                                           {"with space", std::nullopt},
                                           {"com.example.battery", "com.example.battery"}}) {
        ItemSnapshot snapshot("com.example.app", 501, c.raw, "説明", "", 0, std::nullopt);
        EXPECT_EQ(snapshot.axIdentifier(), c.kept) << c.raw.value_or("(none)");
    }
    ItemSnapshot apple("com.apple.controlcenter", 88, std::nullopt, std::nullopt, std::nullopt, 3,
                       Rect(10, 0, 24, 22));
    EXPECT_TRUE(apple.isApple());
    EXPECT_EQ(apple.owner(), AppKey("com.apple.controlcenter"));
    EXPECT_FALSE(ItemSnapshot("com.applesoft.tool", 1, {}, {}, {}, 0, {}).isApple());
}

TEST(ItemSnapshotTest, TextsAreKeptAsReadAndEveryFieldCountsForEquality) {
    ItemSnapshot base("com.example.app", 501, "battery", " 85% ", std::string(), 2, Rect(100, 0, 30, 22));
    EXPECT_EQ(base.axDescription(), " 85% ");
    EXPECT_EQ(base.axTitle(), "");
    EXPECT_EQ(base, ItemSnapshot("com.example.app", 501, "battery", " 85% ", std::string(), 2,
                                 Rect(100, 0, 30, 22)));

    const std::vector<ItemSnapshot> variants{
        ItemSnapshot("com.example.other", 501, "battery", " 85% ", std::string(), 2, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 502, "battery", " 85% ", std::string(), 2, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, std::nullopt, " 85% ", std::string(), 2, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, "battery", " 42% ", std::string(), 2, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, "battery", " 85% ", std::nullopt, 2, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, "battery", " 85% ", std::string(), 3, Rect(100, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, "battery", " 85% ", std::string(), 2, Rect(101, 0, 30, 22)),
        ItemSnapshot("com.example.app", 501, "battery", " 85% ", std::string(), 2, std::nullopt),
    };
    for (const auto& other : variants) {
        EXPECT_NE(base, other);
    }
}

TEST(ItemSnapshotTest, DescriptionNamesOwnerAndIndex) {
    EXPECT_EQ(ItemSnapshot("X", 1, {}, {}, {}, 2, {}).description(), "ItemSnapshot(X・2 番目)");
    EXPECT_EQ(ItemSnapshot("com.example.app", 1, "id", "d", "t", 0, Rect(0, 0, 1, 1)).description(),
              "ItemSnapshot(com.example.app・0 番目)");
}

} // namespace PELLACOR_TEST_FILE
