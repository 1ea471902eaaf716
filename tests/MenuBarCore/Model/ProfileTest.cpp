#include "MenuBarCore/Model/Profile.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/Localized.h"
#include "Support/ModelPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const std::string self(bundleIdentifier);

Profile makeProfile(std::string name = "仕事", Section newItemSection = Section::hidden) {
    return Profile(Uuid::random(), std::move(name), {{AppKey("com.example.mail"), Section::shown}},
                   {AppKey("com.example.mail"), AppKey("com.example.chat")}, newItemSection);
}

} // namespace

TEST(ProfileTest, SectionIsTheEntryOrTheNewItemSection) {
    auto profile = makeProfile("仕事", Section::alwaysHidden);
    EXPECT_EQ(profile.section(AppKey("com.example.mail")), Section::shown);
    EXPECT_EQ(profile.section(AppKey("com.example.unknown")), Section::alwaysHidden);
    EXPECT_EQ(profile.section(AppKey("com.apple.clock")), Section::alwaysHidden);
    EXPECT_EQ(profile.section(AppKey(self)), Section::alwaysHidden);
}

TEST(ProfileTest, AssignChangesOnlyWhatItMust) {
    struct Case {
        const char* app;
        Section section;
        bool changed;
        std::optional<Section> entryAfter;
    };
    const std::vector<Case> cases{
        {"com.apple.clock", Section::shown, false, std::nullopt},
        {"com.apple.", Section::hidden, false, std::nullopt},
        {"com.example.mail", Section::shown, false, Section::shown},
        {"com.example.mail", Section::alwaysHidden, true, Section::alwaysHidden},
        {"com.example.new", Section::hidden, true, Section::hidden},
        {"com.applesoft.tool", Section::shown, true, Section::shown},
        {"com.apple", Section::shown, true, Section::shown},
        {"app.trayvane.pellacor", Section::shown, true, Section::shown},
        {"", Section::hidden, true, Section::hidden},
    };
    for (const auto& c : cases) {
        auto profile = makeProfile();
        auto before = profile;
        EXPECT_EQ(profile.assign(AppKey(c.app), c.section), c.changed) << c.app;
        auto entry = profile.sections.find(AppKey(c.app));
        if (c.entryAfter) {
            ASSERT_NE(entry, profile.sections.end()) << c.app;
            EXPECT_EQ(entry->second, *c.entryAfter) << c.app;
        } else {
            EXPECT_EQ(entry, profile.sections.end()) << c.app;
        }
        EXPECT_EQ(profile.order, before.order) << c.app;
        if (!c.changed) {
            EXPECT_EQ(profile, before) << c.app;
        }
    }
}

TEST(ProfileTest, AdoptAddsNewApplicationsOnceWithTheNewItemSection) {
    auto profile = makeProfile("仕事", Section::alwaysHidden);
    auto before = profile;
    std::vector<AppKey> seen{AppKey(self), AppKey("com.apple.clock"), AppKey("com.example.mail"),
                             AppKey("com.example.new"), AppKey("com.example.new")};
    EXPECT_TRUE(profile.adopt(seen, self));
    auto expected = before.sections;
    expected.emplace(AppKey("com.example.new"), Section::alwaysHidden);
    EXPECT_EQ(profile.sections, expected);
    EXPECT_EQ(profile.order, before.order);

    EXPECT_FALSE(profile.adopt(seen, self));
    EXPECT_EQ(profile.sections, expected);
    EXPECT_FALSE(profile.adopt({}, self));
}

TEST(ProfileTest, AdoptTakesTheOwnIdentifierOnlyWhenItMatchesExactly) {
    auto profile = makeProfile();
    EXPECT_TRUE(profile.adopt({AppKey("App.Trayvane.Pellacor"), AppKey("")}, self));
    EXPECT_TRUE(profile.sections.contains(AppKey("App.Trayvane.Pellacor")));
    EXPECT_TRUE(profile.sections.contains(AppKey("")));
    EXPECT_FALSE(profile.sections.contains(AppKey(self)));
    // An existing entry keeps its section, even when the new-item section changed.
    profile.newItemSection = Section::alwaysHidden;
    EXPECT_FALSE(profile.adopt({AppKey("com.example.mail")}, self));
    EXPECT_EQ(profile.section(AppKey("com.example.mail")), Section::shown);
}

TEST(ProfileTest, DisplayNameShowsTheDefaultNameOnlyWithoutConflict) {
    const std::string defaultName = localized("ふだん");
    auto named = [](std::string name) {
        return Profile(Uuid::random(), std::move(name), {}, {}, Section::hidden);
    };

    auto onlyDefault = named("Default");
    EXPECT_EQ(onlyDefault.displayName({onlyDefault}), defaultName);
    EXPECT_EQ(onlyDefault.displayName({}), defaultName);

    auto japanese = named("ふだん");
    auto english = named("Default");
    std::vector<Profile> both{japanese, english};
    EXPECT_EQ(japanese.displayName(both), "ふだん");
    EXPECT_EQ(english.displayName(both), "Default");

    auto work = named("仕事");
    EXPECT_EQ(work.displayName({work, japanese, english}), "仕事");
    EXPECT_EQ(japanese.displayName({japanese, work}), defaultName);

    // A profile is not its own conflict, also when it appears twice in the list.
    EXPECT_EQ(onlyDefault.displayName({onlyDefault, onlyDefault}), defaultName);
}

TEST(ProfileTest, DisplayNameComparesWithTheTranslationIgnoringCaseAndWidth) {
    auto named = [](std::string name) {
        return Profile(Uuid::random(), std::move(name), {}, {}, Section::hidden);
    };
    struct Case {
        const char* other;
        const char* shown;
    };
    // With "Everyday" as the translation of the default name.
    const std::vector<Case> cases{
        {"Everyday", "ふだん"},    {"EVERYDAY", "ふだん"}, {"Ｅｖｅｒｙｄａｙ", "ふだん"},
        {"Every day", "Everyday"}, {"仕事", "Everyday"},
    };
    for (const auto& c : cases) {
        auto mine = named("ふだん");
        EXPECT_EQ(mine.displayName({mine, named(c.other)}, "Everyday"), c.shown) << c.other;
    }
}

} // namespace PELLACOR_TEST_FILE
