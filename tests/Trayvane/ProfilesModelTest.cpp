#include "Trayvane/Settings/ProfilesModel.h"

#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "Trayvane/Settings/ProfileNameCommit.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ProfileBarEditor;
using app::ProfileChoice;
using app::ProfileNameCommit;
using app::ProfilesModel;
using core::Uuid;

namespace {

const std::string empty = "名前を入れてください。";
const std::string tooLong = "名前は 40 文字までです。";
const std::string failed = "変えられませんでした。もう一度試してください。";

std::string taken(const std::string& name) {
    return "「" + name + "」はもうあります。別の名前にしてください。";
}

std::string times(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// A document of three profiles, the untouched default one stored as "Default"
// and shown by its localized name, and a model wired to it as the shell does.
struct ThreeProfiles {
    Uuid usual = Uuid::random();
    Uuid work = Uuid::random();
    Uuid cafe = Uuid::random();
    core::StoredState state{core::StoredState::currentVersion,
                            {core::Profile(usual, "Default", {}, {}, core::Section::hidden),
                             core::Profile(work, "Work", {}, {}, core::Section::hidden),
                             core::Profile(cafe, "Home Caf\u00E9", {}, {}, core::Section::hidden)},
                            {},
                            usual};
    ProfilesModel model;

    ThreeProfiles() {
        std::vector<ProfileChoice> choices;
        for (const auto& profile : state.profiles) {
            choices.push_back({profile.id(), profile.displayName(state.profiles), profile.id() == usual});
        }
        model.setChoices(std::move(choices));
        model.isNameTaken = [this](const std::string& name, const std::optional<Uuid>& except) {
            return state.isProfileNameTaken(name, except);
        };
        model.storedName = [this](const Uuid& id) -> std::optional<std::string> {
            for (const auto& profile : state.profiles) {
                if (profile.id() == id) {
                    return profile.name;
                }
            }
            return std::nullopt;
        };
    }
};

} // namespace

TEST(ProfilesModelTest, ActiveIsTheFirstMarkedChoice) {
    ProfilesModel model;
    EXPECT_FALSE(model.active());
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    model.setChoices({{a, "一", false}, {b, "二", false}});
    EXPECT_FALSE(model.active()) << "none marked";
    model.setChoices({{a, "一", false}, {b, "二", true}, {Uuid::random(), "三", true}});
    ASSERT_TRUE(model.active());
    EXPECT_EQ(model.active()->id, b);
}

TEST(ProfilesModelTest, ProblemWithATypedName) {
    ThreeProfiles f;
    EXPECT_EQ(f.model.choices()[0].name, "ふだん") << "the default profile shows its localized name";
    const std::string fortyMarked = times("e\u0301", 40);
    const std::string fortyEmoji = times("\U0001F44D\U0001F3FD", 40);
    const std::string forty = times("a", 40);
    struct Case {
        const char* what;
        std::string name;
        std::optional<Uuid> renaming;
        std::optional<std::string> problem;
    };
    const std::vector<Case> cases{
        {"empty", "", std::nullopt, empty},
        {"white space only", " \t\n\r\n\u3000 ", std::nullopt, empty},
        {"control characters only", "\u0001\u0002\u200B", std::nullopt, empty},
        {"40 letters with combining marks", fortyMarked, std::nullopt, std::nullopt},
        {"41 letters with combining marks", fortyMarked + "e\u0301", std::nullopt, tooLong},
        {"40 emoji with skin tones", fortyEmoji, std::nullopt, std::nullopt},
        {"41 emoji with skin tones", fortyEmoji + "\U0001F44D\U0001F3FD", std::nullopt, tooLong},
        {"40 letters between spaces", "  " + forty + "\t ", std::nullopt, std::nullopt},
        {"41 with a control character", forty.substr(0, 20) + "\u0007" + forty.substr(20), std::nullopt,
         std::nullopt},
        {"40 as typed, 41 once its CR LF is two spaces", times("a", 38) + "\r\nb", std::nullopt, tooLong},
        {"joined lines clash with a listed name", "home\ncaf\u00E9", std::nullopt, taken("home caf\u00E9")},
        {"other letter case", "WORK", std::nullopt, taken("WORK")},
        {"full-width letters", "\uFF37\uFF4F\uFF52\uFF4B", std::nullopt, taken("\uFF37\uFF4F\uFF52\uFF4B")},
        {"canonically equivalent", "Home Cafe\u0301", std::nullopt, taken("Home Cafe\u0301")},
        {"accents count", "Home Cafe", std::nullopt, std::nullopt},
        {"the normalized form is shown", "  work \n", std::nullopt, taken("work")},
        {"the shown default name", "ふだん", std::nullopt, taken("ふだん")},
        {"the default profile's stored name", "default", std::nullopt, taken("default")},
        {"renaming to itself in other case", "WORK", f.work, std::nullopt},
        {"renaming another to that name", "WORK", f.cafe, taken("WORK")},
        {"renaming the default profile to its stored name", "Default", f.usual, std::nullopt},
        {"renaming another to the default's stored name", "Default", f.work, taken("Default")},
        {"a free name", "仕事\nメモ", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.model.problem(c.name, c.renaming), c.problem) << c.what;
    }

    // With nothing listed and no store, any name within the limit will do.
    ProfilesModel bare;
    EXPECT_EQ(bare.problem("Work", std::nullopt), std::nullopt);
    EXPECT_EQ(bare.problem(forty + "a", std::nullopt), tooLong);
}

TEST(ProfileNameCommitTest, HandsTheTypedNameOnAndSaysWhatStands) {
    struct Case {
        const char* what;
        bool adding;
        std::string name;
        bool answer;
        bool listTheNameMeanwhile;
        std::optional<std::string> problem; // nothing: the sheet closes
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {"add works", true, "  New \n", true, false, std::nullopt, {"add:  New \n"}},
        {"add refused", true, "New", false, false, failed, {"add:New"}},
        {"add refused, the name taken meanwhile", true, "New", false, true, taken("New"), {"add:New"}},
        {"add of a bad name asks nobody", true, "work", true, false, taken("work"), {}},
        {"rename works", false, "Desk", true, false, std::nullopt, {"rename:Desk"}},
        {"rename refused", false, "Desk", false, false, failed, {"rename:Desk"}},
        {"rename in other case is a change", false, "work", true, false, std::nullopt, {"rename:work"}},
        {"rename to the same name changes nothing", false, " Work\n", false, false, std::nullopt, {}},
        {"rename of an empty name asks nobody", false, " ", true, false, empty, {}},
    };
    for (const auto& c : cases) {
        ThreeProfiles f;
        std::vector<std::string> calls;
        const auto listTheName = [&](const std::string& name) {
            if (c.listTheNameMeanwhile) {
                auto choices = f.model.choices();
                choices.push_back({Uuid::random(), name, false});
                f.model.setChoices(std::move(choices));
            }
        };
        f.model.onAdd = [&](const std::string& name) {
            calls.push_back("add:" + name);
            listTheName(name);
            return c.answer;
        };
        f.model.onRename = [&](const Uuid& id, const std::string& name) {
            EXPECT_EQ(id, f.work) << c.what;
            calls.push_back("rename:" + name);
            return c.answer;
        };
        const ProfileBarEditor editor{Uuid::random(),
                                      c.adding ? ProfileBarEditor::Kind{ProfileBarEditor::Add{}}
                                               : ProfileBarEditor::Kind{ProfileBarEditor::Rename{f.work}},
                                      ""};
        EXPECT_EQ(ProfileNameCommit::run(f.model, editor, c.name), c.problem) << c.what;
        EXPECT_EQ(calls, c.calls) << c.what;
    }
}

TEST(ProfileNameCommitTest, RenamingTheDefaultProfileToItsStoredNameClosesWithoutAsking) {
    ThreeProfiles f;
    int asked = 0;
    f.model.onRename = [&](const Uuid&, const std::string&) { return ++asked, false; };
    const ProfileBarEditor editor{Uuid::random(), ProfileBarEditor::Rename{f.usual}, "ふだん"};
    EXPECT_EQ(ProfileNameCommit::run(f.model, editor, "Default"), std::nullopt);
    EXPECT_EQ(ProfileNameCommit::run(f.model, editor, "ふだん"), std::nullopt);
    // Canonically equivalent text is the same name, too.
    const ProfileBarEditor cafe{Uuid::random(), ProfileBarEditor::Rename{f.cafe}, "Home Caf\u00E9"};
    EXPECT_EQ(ProfileNameCommit::run(f.model, cafe, "Home Cafe\u0301"), std::nullopt);
    EXPECT_EQ(asked, 0);
    // The store itself would have refused: it is no change.
    EXPECT_FALSE(f.state.renameProfile(f.usual, "Default"));

    // Missing callbacks count as refusals.
    ProfilesModel bare;
    EXPECT_EQ(ProfileNameCommit::run(bare, {Uuid::random(), ProfileBarEditor::Add{}, ""}, "New"), failed);
    EXPECT_EQ(ProfileNameCommit::run(bare, {Uuid::random(), ProfileBarEditor::Rename{f.work}, ""}, "New"),
              failed);
}

} // namespace PELLACOR_TEST_FILE
