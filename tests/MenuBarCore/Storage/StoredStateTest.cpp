#include "MenuBarCore/Storage/StoredState.h"

#include "MenuBarCore/Support/JsonCoding.h"
#include "Support/ModelPrinters.h"
#include "Support/StoragePrinters.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

Profile profile(const char* id, const char* name) {
    return Profile(*Uuid::parse(id), name, {}, {}, Section::hidden);
}

const Profile A = profile("00000000-0000-0000-0000-00000000000A", "A");
const Profile B = profile("00000000-0000-0000-0000-00000000000B", "B");
const Profile C = profile("00000000-0000-0000-0000-00000000000C", "C");

} // namespace

TEST(StoredStateTest, InitialIsOneFreshActiveProfile) {
    auto state = StoredState::initial();
    EXPECT_EQ(state.version, 1);
    ASSERT_EQ(state.profiles.size(), 1u);
    const auto& only = state.profiles.front();
    EXPECT_EQ(only.name, "ふだん");
    EXPECT_TRUE(only.sections.empty());
    EXPECT_TRUE(only.order.empty());
    EXPECT_EQ(only.newItemSection, Section::hidden);
    EXPECT_TRUE(state.rules.empty());
    EXPECT_EQ(state.activeProfileID, only.id());
    EXPECT_FALSE(state.ruleTracker.has_value());
    EXPECT_NE(StoredState::initial().profiles.front().id(), only.id()) << "a new id on every call";
}

TEST(StoredStateTest, ActiveProfileFallsBackToTheFirst) {
    struct Case {
        const char* name;
        std::vector<Profile> profiles;
        std::optional<Uuid> activeID;
        std::optional<Profile> expected;
    };
    const std::vector<Case> cases{
        {"the matching profile", {A, B, C}, B.id(), B},
        {"no active id", {A, B}, std::nullopt, A},
        {"an id that matches nothing", {A, B}, C.id(), A},
        {"no profiles", {}, A.id(), std::nullopt},
    };
    for (const auto& c : cases) {
        StoredState state{1, c.profiles, {}, c.activeID};
        EXPECT_EQ(state.activeProfile(), c.expected) << c.name;
    }
}

TEST(StoredStateTest, ReplaceActiveReplacesInPlaceOrAppends) {
    StoredState state{1, {A, B, C}, {}, A.id()};
    auto edited = B;
    edited.name = "B2";
    state.replaceActive(edited);
    EXPECT_EQ(state.profiles, (std::vector<Profile>{A, edited, C}));
    EXPECT_EQ(state.activeProfileID, B.id());

    auto added = profile("00000000-0000-0000-0000-0000000000DD", "D");
    state.replaceActive(added);
    EXPECT_EQ(state.profiles, (std::vector<Profile>{A, edited, C, added}));
    EXPECT_EQ(state.activeProfileID, added.id());
}

TEST(StoredStateTest, OptionalMembersAreWrittenOnlyWhenPresent) {
    StoredState bare{1, {A}, {}};
    auto json = encodeJson(bare);
    EXPECT_FALSE(json.contains("activeProfileID"));
    EXPECT_FALSE(json.contains("ruleTracker"));
    EXPECT_EQ(json["version"], 1);
    EXPECT_TRUE(json["rules"].is_array());

    StoredState full{1, {A}, {}, A.id(), RuleTracker()};
    json = encodeJson(full);
    EXPECT_EQ(json["activeProfileID"], "00000000-0000-0000-0000-00000000000A");
    EXPECT_EQ(json["ruleTracker"], Json::parse(R"({"overridden":false})"));
}

} // namespace PELLACOR_TEST_FILE
