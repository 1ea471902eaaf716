#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"
#include "Support/ModelPrinters.h"
#include "Support/StoragePrinters.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

Uuid id(int n) {
    Uuid::Bytes bytes{};
    bytes[15] = static_cast<std::uint8_t>(n);
    return Uuid(bytes);
}

Profile profile(int n, std::string name) {
    return Profile(id(n), std::move(name), {}, {}, Section::hidden);
}

std::string repeated(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

const std::string flag = "🇯🇵";
const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // 👨‍👩‍👧
const std::string defaultName = localized("ふだん");

// Runs an edit that must be refused: the result says so and the document is
// exactly as it was.
void expectRefused(StoredState state, const std::function<bool(StoredState&)>& edit, const char* what) {
    const StoredState before = state;
    EXPECT_FALSE(edit(state)) << what;
    EXPECT_EQ(state, before) << what;
}

} // namespace

// --- Names -----------------------------------------------------------------

TEST(ProfileBookTest, NormalizedProfileName) {
    struct Case {
        const char* name;
        std::string raw;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases{
        {"trims and turns a tab into a space", "  Work\tday\n", "Work day"},
        {"CR LF is two spaces", "a\r\nb", "a  b"},
        {"line and paragraph separators", "a\u2028b\u2029c", "a b c"},
        {"runs of spaces inside stay", "a   b", "a   b"},
        {"ideographic spaces trimmed", "\u3000仕事\u3000", "仕事"},
        {"vertical tab, form feed and NEL are controls, dropped", "a\vb\fc\u0085d", "abcd"},
        {"other controls dropped",
         std::string("a\0b\x07"
                     "c\x7F",
                     6),
         "abc"},
        {"zero-width space, BOM, soft hyphen dropped", "\uFEFFa\u200Bb\u00ADc", "abc"},
        {"a joiner is dropped, splitting the emoji", family, "\U0001F468\U0001F469\U0001F467"},
        {"variation selector stays", "❤\uFE0F", "❤\uFE0F"},
        {"format characters alone leave nothing", "\u200B\u200D\uFEFF", std::nullopt},
        {"only white space and newlines", " \t\r\n\u2028\u3000\t ", std::nullopt},
        {"empty", "", std::nullopt},
        {"malformed bytes read as replacement characters",
         "a\xFF"
         "b",
         "a\uFFFD"
         "b"},
        {"40 characters", repeated("x", 40), repeated("x", 40)},
        {"41 characters", repeated("x", 41), std::nullopt},
        {"40 after trimming", " \n" + repeated("x", 40) + "\t ", repeated("x", 40)},
        {"40 flags", repeated(flag, 40), repeated(flag, 40)},
        {"41 flags", repeated(flag, 41), std::nullopt},
        {"40 letters with combining accents", repeated("e\u0301", 40), repeated("e\u0301", 40)},
        {"a split joined emoji counts in parts", repeated("x", 38) + family, std::nullopt},
        {"a 40-character name once a newline became a space", repeated("x", 20) + "\n" + repeated("x", 19),
         repeated("x", 20) + " " + repeated("x", 19)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredState::normalizedProfileName(c.raw), c.expected) << c.name;
    }
    EXPECT_EQ(StoredState::profileNameLimit, 40u);
}

TEST(ProfileBookTest, IsProfileNameTaken) {
    // "Default" is the untouched first profile, shown under the default name.
    const StoredState state{1, {profile(1, "Default"), profile(2, "Work"), profile(3, "ガイド")}, {}, id(1)};
    struct Case {
        const char* name;
        std::string candidate;
        std::optional<Uuid> except;
        bool taken;
    };
    const std::vector<Case> cases{
        {"the stored name", "Work", std::nullopt, true},
        {"lower case", "work", std::nullopt, true},
        {"full-width letters", "Ｗｏｒｋ", std::nullopt, true},
        {"full-width upper case", "ＷＯＲＫ", std::nullopt, true},
        {"accents count", "Wörk", std::nullopt, false},
        {"half-width katakana", "ｶﾞｲﾄﾞ", std::nullopt, true},
        {"hiragana is another name", "がいど", std::nullopt, false},
        {"compared as given, not normalized", "Work ", std::nullopt, false},
        {"the excepted profile itself", "work", id(2), false},
        {"another profile than the excepted", "work", id(1), true},
        {"the initial profile's stored name", "default", std::nullopt, true},
        {"the initial profile's shown name", defaultName, std::nullopt, true},
        {"the shown name of the excepted initial profile", defaultName, id(1), false},
        {"a free name", "Home", std::nullopt, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(state.isProfileNameTaken(c.candidate, c.except), c.taken) << c.name;
    }
}

TEST(ProfileBookTest, TwoInitialProfilesShowTheirStoredNames) {
    // Neither shows the default name, so it is taken only as a stored name.
    const StoredState state{1, {profile(1, "Default"), profile(2, "ふだん")}, {}, id(1)};
    EXPECT_TRUE(state.isProfileNameTaken("ふだん"));
    EXPECT_FALSE(state.isProfileNameTaken("ふだん", id(2)));
}

TEST(ProfileBookTest, UniqueProfileName) {
    const std::string forty = repeated("a", 37) + " bc"; // 40, a space at the 38th place
    struct Case {
        const char* name;
        std::vector<std::string> taken;
        std::string base;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"free as it is", {"Home"}, "Work", "Work"},
        {"normalized first", {}, "  Work\n", "Work"},
        {"first free suffix", {"Work", "Work 2"}, "Work", "Work 3"},
        {"taken ignoring case", {"WORK"}, "work", "work 2"},
        {"a 40-character base keeps 38", {repeated("x", 40)}, repeated("x", 40), repeated("x", 38) + " 2"},
        {"a two-digit suffix cuts one more",
         {repeated("x", 40), repeated("x", 38) + " 2", repeated("x", 38) + " 3", repeated("x", 38) + " 4",
          repeated("x", 38) + " 5", repeated("x", 38) + " 6", repeated("x", 38) + " 7",
          repeated("x", 38) + " 8", repeated("x", 38) + " 9"},
         repeated("x", 40),
         repeated("x", 37) + " 10"},
        {"cut by characters, not bytes", {repeated(flag, 40)}, repeated(flag, 40), repeated(flag, 38) + " 2"},
        {"the cut may leave a space", {forty}, forty, repeated("a", 37) + "  2"},
        {"nothing usable gives the default", {}, " \t", localized("プロファイル")},
        {"the default with a suffix", {localized("プロファイル")}, "", localized("プロファイル") + " 2"},
        {"an over-long base gives the default", {}, repeated("x", 41), localized("プロファイル")},
    };
    for (const auto& c : cases) {
        StoredState state{1, {}, {}};
        int n = 1;
        for (const auto& name : c.taken) {
            state.profiles.push_back(profile(n++, name));
        }
        auto result = state.uniqueProfileName(c.base);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_LE(Text::graphemeCount(result), StoredState::profileNameLimit) << c.name;
        EXPECT_FALSE(state.isProfileNameTaken(result)) << c.name;
    }
}

TEST(ProfileBookTest, UniqueProfileNameAvoidsTheShownDefaultName) {
    const StoredState state{1, {profile(1, "Default")}, {}, id(1)};
    EXPECT_EQ(state.uniqueProfileName(defaultName), defaultName + " 2");
}

// --- Switching and the profile in use ----------------------------------------

TEST(ProfileBookTest, ActiveProfileIDResolved) {
    EXPECT_EQ((StoredState{1, {profile(1, "A"), profile(2, "B")}, {}, id(2)}.activeProfileIDResolved()),
              id(2));
    EXPECT_EQ((StoredState{1, {profile(1, "A"), profile(2, "B")}, {}, id(9)}.activeProfileIDResolved()),
              id(1));
    EXPECT_EQ((StoredState{1, {profile(1, "A")}, {}}.activeProfileIDResolved()), id(1));
    EXPECT_EQ((StoredState{1, {}, {}, id(1)}.activeProfileIDResolved()), std::nullopt);
}

TEST(ProfileBookTest, SwitchProfile) {
    const StoredState base{1, {profile(1, "A"), profile(2, "B")}, {}, id(1)};

    auto state = base;
    EXPECT_TRUE(state.switchProfile(id(2)));
    EXPECT_EQ(state.activeProfileID, id(2));

    expectRefused(
        base, [](StoredState& s) { return s.switchProfile(id(1)); }, "already active");
    expectRefused(
        base, [](StoredState& s) { return s.switchProfile(id(9)); }, "no such profile");

    // A stale stored id reads as the first profile: switching to the second changes it.
    state = base;
    state.activeProfileID = id(9);
    EXPECT_TRUE(state.switchProfile(id(2)));
    EXPECT_EQ(state.activeProfileID, id(2));
}

// --- Adding, renaming and removing profiles -----------------------------------

TEST(ProfileBookTest, AddProfileCopiesTheLayoutInUseAndMakesItActive) {
    Profile work(id(2), "Work", {{AppKey("com.example.mail"), Section::alwaysHidden}},
                 {AppKey("com.example.chat"), AppKey("com.example.mail")}, Section::shown);
    StoredState state{1, {profile(1, "A"), work}, {}, id(2)};

    auto added = state.addProfile("  Travel\n");
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->name, "Travel");
    EXPECT_EQ(added->sections, work.sections);
    EXPECT_EQ(added->order, work.order);
    EXPECT_EQ(added->newItemSection, Section::shown);
    EXPECT_NE(added->id(), work.id());
    ASSERT_EQ(state.profiles.size(), 3u);
    EXPECT_EQ(state.profiles.back(), *added);
    EXPECT_EQ(state.activeProfileID, added->id());

    auto another = state.addProfile("Travel 2");
    ASSERT_TRUE(another.has_value());
    EXPECT_NE(another->id(), added->id());
}

TEST(ProfileBookTest, AddProfileWithoutProfilesStartsBlank) {
    StoredState state{1, {}, {}};
    auto added = state.addProfile("First");
    ASSERT_TRUE(added.has_value());
    EXPECT_TRUE(added->sections.empty());
    EXPECT_TRUE(added->order.empty());
    EXPECT_EQ(added->newItemSection, Section::hidden);
    EXPECT_EQ(state.activeProfileID, added->id());
}

TEST(ProfileBookTest, AddProfileRefusals) {
    const StoredState base{1, {profile(1, "Default"), profile(2, "Work")}, {}, id(1)};
    auto add = [](const std::string& name) {
        return [name](StoredState& s) { return s.addProfile(name).has_value(); };
    };
    expectRefused(base, add("ＷＯＲＫ"), "taken ignoring case and width");
    expectRefused(base, add(" work\n"), "taken once normalized");
    expectRefused(base, add(defaultName), "the shown default name");
    expectRefused(base, add("\t\u200B "), "nothing left");
    expectRefused(base, add(repeated("x", 41)), "too long");
}

TEST(ProfileBookTest, RenameProfile) {
    const StoredState base{1, {profile(1, "Default"), profile(2, "Work"), profile(3, "Home")}, {}, id(1)};
    auto rename = [](int n, const std::string& name) {
        return [n, name](StoredState& s) { return s.renameProfile(id(n), name); };
    };
    expectRefused(base, rename(9, "Other"), "no such profile");
    expectRefused(base, rename(2, " \n"), "nothing left");
    expectRefused(base, rename(2, repeated("x", 41)), "too long");
    expectRefused(base, rename(2, "home"), "taken by another profile");
    expectRefused(base, rename(2, defaultName), "another profile's shown name");
    expectRefused(base, rename(2, "Work"), "its own name");
    expectRefused(base, rename(2, "  Work\t"), "its own name once normalized");
    // "ガ" precomposed (U+30AC) and "カ" + the combining voiced mark (U+3099) are one name.
    const StoredState kana{1, {profile(1, "Default"), profile(2, "\u30AC\u30A4\u30C9")}, {}, id(1)};
    expectRefused(kana, rename(2, "\u30AB\u3099\u30A4\u30C9"), "its own name, composed otherwise");
    const StoredState decomposed{1, {profile(1, "Default"), profile(2, "\u30AB\u3099")}, {}, id(1)};
    expectRefused(decomposed, rename(2, "\u30AC"), "its own name, precomposed");

    struct Case {
        const char* name;
        int profile;
        std::string newName;
        std::string stored;
    };
    const std::vector<Case> cases{
        {"a new name, normalized", 2, " Office\r\n", "Office"},
        {"only the letter case", 2, "WORK", "WORK"},
        {"only the width", 2, "Ｗｏｒｋ", "Ｗｏｒｋ"},
        {"the initial profile to its shown name", 1, defaultName, defaultName},
    };
    for (const auto& c : cases) {
        auto state = base;
        EXPECT_TRUE(state.renameProfile(id(c.profile), c.newName)) << c.name;
        auto expected = base;
        expected.profiles[static_cast<std::size_t>(c.profile - 1)].name = c.stored;
        EXPECT_EQ(state, expected) << c.name;
    }
}

TEST(ProfileBookTest, RemoveProfileRefusals) {
    expectRefused(
        StoredState{1, {profile(1, "A")}, {}, id(1)}, [](StoredState& s) { return s.removeProfile(id(1)); },
        "the last profile");
    expectRefused(
        StoredState{1, {profile(1, "A"), profile(2, "B")}, {}, id(1)},
        [](StoredState& s) { return s.removeProfile(id(9)); }, "no such profile");
}

TEST(ProfileBookTest, RemoveProfileRepairsRulesTrackerAndActiveID) {
    const AppRule toA(id(11), "com.example.a", AppRule::Condition::running, id(1));
    const AppRule toB(id(12), "com.example.b", AppRule::Condition::frontmost, id(2));
    const AppRule toC(id(13), "com.example.c", AppRule::Condition::running, id(3));
    const AppRule alsoToB(id(14), "com.example.d", AppRule::Condition::running, id(2));
    const StoredState base{1,
                           {profile(1, "A"), profile(2, "B"), profile(3, "C")},
                           {toA, toB, toC, alsoToB},
                           id(2),
                           RuleTracker(id(12), id(2), true)};
    struct Case {
        const char* name;
        std::optional<Uuid> activeBefore;
        int removed;
        std::optional<Uuid> activeAfter;
    };
    const std::vector<Case> cases{
        {"the active one: the first remaining takes over", id(2), 2, id(1)},
        {"the active first one: the new first takes over", id(1), 1, id(2)},
        {"the first, active by default", std::nullopt, 1, id(2)},
        {"another one: the active stays", id(2), 3, id(2)},
        {"another one, none stored: the first is stored", std::nullopt, 3, id(1)},
        {"another one, a stale id is repaired", id(9), 3, id(1)},
    };
    for (const auto& c : cases) {
        auto state = base;
        state.activeProfileID = c.activeBefore;
        EXPECT_TRUE(state.removeProfile(id(c.removed))) << c.name;
        EXPECT_EQ(state.activeProfileID, c.activeAfter) << c.name;
        EXPECT_EQ(state.profiles.size(), 2u) << c.name;
        for (const auto& rule : state.rules) {
            EXPECT_NE(rule.profileID, id(c.removed)) << c.name;
        }
    }

    auto state = base;
    ASSERT_TRUE(state.removeProfile(id(2)));
    EXPECT_EQ(state.profiles, (std::vector<Profile>{profile(1, "A"), profile(3, "C")}));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{toA, toC}));
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(12), id(1), true)) << "the base moves to the first remaining";

    state = base;
    ASSERT_TRUE(state.removeProfile(id(3)));
    EXPECT_EQ(state.ruleTracker, base.ruleTracker) << "another base stays";

    state = base;
    state.ruleTracker.reset();
    ASSERT_TRUE(state.removeProfile(id(2)));
    EXPECT_FALSE(state.ruleTracker.has_value()) << "no tracker is made up";
}

// --- Rules ---------------------------------------------------------------------

TEST(ProfileBookTest, AddRule) {
    StoredState state{1, {profile(1, "A"), profile(2, "B")}, {}, id(1)};
    using C = AppRule::Condition;

    auto first = state.addRule("  com.example.mail\n", C::running, id(2));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->appBundleID, "com.example.mail");
    EXPECT_EQ(first->condition, C::running);
    EXPECT_EQ(first->profileID, id(2));

    auto second = state.addRule("com.example.mail", C::frontmost, id(1));
    ASSERT_TRUE(second.has_value()) << "the other condition";
    auto third = state.addRule("COM.example.mail", C::running, id(1));
    ASSERT_TRUE(third.has_value()) << "identifiers are compared exactly";
    EXPECT_EQ(state.rules, (std::vector<AppRule>{*first, *second, *third})) << "appended in order";
    EXPECT_NE(first->id(), second->id());

    auto add = [](const std::string& app, C condition, Uuid profileID) {
        return [=](StoredState& s) { return s.addRule(app, condition, profileID).has_value(); };
    };
    expectRefused(state, add("com.example.mail", C::running, id(1)), "the same pair");
    expectRefused(state, add(" com.example.mail ", C::frontmost, id(2)), "the same pair once trimmed");
    expectRefused(state, add(" \t\n", C::running, id(1)), "an empty identifier");
    expectRefused(state, add("com.example.other", C::running, id(9)), "no such profile");
}

TEST(ProfileBookTest, UpdateRule) {
    using C = AppRule::Condition;
    const AppRule mailRunning(id(11), "com.example.mail", C::running, id(1));
    const AppRule mailFront(id(12), "com.example.mail", C::frontmost, id(2));
    const AppRule chat(id(13), "com.example.chat", C::running, id(1));
    const StoredState base{1, {profile(1, "A"), profile(2, "B")}, {mailRunning, mailFront, chat}, id(1)};

    auto update = [](int rule, std::optional<C> condition, std::optional<Uuid> profileID) {
        return [=](StoredState& s) { return s.updateRule(id(rule), condition, profileID); };
    };
    expectRefused(base, update(99, C::frontmost, std::nullopt), "no such rule");
    expectRefused(base, update(13, std::nullopt, std::nullopt), "nothing given");
    expectRefused(base, update(13, C::running, id(1)), "the same values");
    expectRefused(base, update(13, std::nullopt, id(9)), "no such profile");
    expectRefused(base, update(11, C::frontmost, std::nullopt), "the pair of another rule");

    auto state = base;
    EXPECT_TRUE(state.updateRule(id(13), C::frontmost, std::nullopt));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{mailRunning, mailFront,
                                                 AppRule(id(13), "com.example.chat", C::frontmost, id(1))}));

    state = base;
    EXPECT_TRUE(state.updateRule(id(11), std::nullopt, id(2)));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{AppRule(id(11), "com.example.mail", C::running, id(2)),
                                                 mailFront, chat}));

    state = base;
    EXPECT_TRUE(state.updateRule(id(12), C::frontmost, id(1))) << "its own pair is no duplicate";
    EXPECT_EQ(state.rules[1], AppRule(id(12), "com.example.mail", C::frontmost, id(1)));
}

TEST(ProfileBookTest, RemoveAndMoveRules) {
    using C = AppRule::Condition;
    const AppRule r1(id(11), "com.example.a", C::running, id(1));
    const AppRule r2(id(12), "com.example.b", C::running, id(1));
    const AppRule r3(id(13), "com.example.c", C::running, id(1));
    const StoredState base{1, {profile(1, "A")}, {r1, r2, r3}, id(1)};

    expectRefused(
        base, [](StoredState& s) { return s.removeRule(id(99)); }, "remove: no such rule");
    expectRefused(
        base, [](StoredState& s) { return s.moveRuleUp(id(99)); }, "move: no such rule");
    expectRefused(
        base, [](StoredState& s) { return s.moveRuleUp(id(11)); }, "move: the first rule");

    auto state = base;
    EXPECT_TRUE(state.removeRule(id(12)));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{r1, r3}));

    state = base;
    EXPECT_TRUE(state.moveRuleUp(id(12)));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{r2, r1, r3}));
    EXPECT_TRUE(state.moveRuleUp(id(13)));
    EXPECT_EQ(state.rules, (std::vector<AppRule>{r2, r3, r1}));
}

// --- Evaluating the rules ---------------------------------------------------------

// Every step reports a change exactly when the document changed.
class ApplyRulesTest : public ::testing::Test {
protected:
    static constexpr auto running = AppRule::Condition::running;
    StoredState state{1,
                      {profile(1, "Home"), profile(2, "Work"), profile(3, "Film")},
                      {AppRule(id(11), "com.example.mail", running, id(2)),
                       AppRule(id(12), "com.example.player", running, id(3)),
                       AppRule(id(13), "com.example.editor", running, id(1))},
                      id(1)};

    bool apply(const std::unordered_set<std::string>& apps) {
        const StoredState before = state;
        const bool changed = state.applyRules(apps, std::nullopt);
        EXPECT_EQ(changed, state != before) << "the result must say whether the document changed";
        return changed;
    }
};

TEST_F(ApplyRulesTest, NoRulesNoTrackerChangesNothing) {
    state.rules.clear();
    EXPECT_FALSE(apply({"com.example.mail"}));
    EXPECT_FALSE(state.ruleTracker.has_value());
}

TEST_F(ApplyRulesTest, NoWinnerAndNoTrackerChangesNothing) {
    EXPECT_FALSE(apply({"com.example.other"}));
    EXPECT_FALSE(state.ruleTracker.has_value());
}

TEST_F(ApplyRulesTest, ARuleSwitchesAndGivesTheProfileBack) {
    EXPECT_TRUE(apply({"com.example.mail"}));
    EXPECT_EQ(state.activeProfileID, id(2));
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(11), id(1), false));

    EXPECT_FALSE(apply({"com.example.mail"})) << "the same evaluation again";

    EXPECT_FALSE(apply({"com.example.mail", "com.example.player"})) << "the higher rule still wins";
    EXPECT_EQ(state.activeProfileID, id(2));

    EXPECT_TRUE(apply({"com.example.player"}));
    EXPECT_EQ(state.activeProfileID, id(3));
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(12), id(1), false)) << "the base from before the first rule";

    EXPECT_TRUE(apply({}));
    EXPECT_EQ(state.activeProfileID, id(1));
    EXPECT_FALSE(state.ruleTracker.has_value()) << "a fresh tracker is not stored";

    EXPECT_FALSE(apply({}));
}

TEST_F(ApplyRulesTest, ARuleForTheActiveProfileChangesOnlyTheTracker) {
    EXPECT_TRUE(apply({"com.example.editor"}));
    EXPECT_EQ(state.activeProfileID, id(1));
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(13), id(1), false));
}

TEST_F(ApplyRulesTest, AStaleActiveIDCountsAsTheFirstProfile) {
    state.activeProfileID = id(9);
    EXPECT_TRUE(apply({"com.example.mail"}));
    EXPECT_EQ(state.activeProfileID, id(2));
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(11), id(1), false));
}

TEST_F(ApplyRulesTest, AStoredFreshTrackerIsDropped) {
    state.ruleTracker = RuleTracker();
    EXPECT_TRUE(apply({}));
    EXPECT_FALSE(state.ruleTracker.has_value());
}

TEST_F(ApplyRulesTest, AUserSwitchHoldsAgainstTheRule) {
    ASSERT_TRUE(apply({"com.example.mail"}));
    ASSERT_TRUE(state.switchProfile(id(3)));
    state.noteUserSwitch();
    EXPECT_EQ(state.ruleTracker, RuleTracker(id(11), id(1), true));

    EXPECT_FALSE(apply({"com.example.mail"})) << "the overridden rule does not switch back";
    EXPECT_EQ(state.activeProfileID, id(3));

    EXPECT_TRUE(apply({})) << "the tracker resets, the user's choice stays";
    EXPECT_EQ(state.activeProfileID, id(3));
    EXPECT_FALSE(state.ruleTracker.has_value());
}

TEST_F(ApplyRulesTest, NoteUserSwitchWithoutTrackerDoesNothing) {
    const StoredState before = state;
    state.noteUserSwitch();
    EXPECT_EQ(state, before);
}

} // namespace PELLACOR_TEST_FILE
