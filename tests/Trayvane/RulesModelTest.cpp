#include "Trayvane/Settings/RulesModel.h"

#include "MenuBarCore/Support/Localized.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ProfileChoice;
using app::RuleRow;
using app::RulesModel;
using core::Uuid;
using Condition = core::AppRule::Condition;

namespace {

RuleRow row(std::string bundleID, Condition condition, bool applying = false, std::string appName = "Mail",
            std::string profileName = "仕事") {
    return {Uuid::random(), std::move(bundleID), std::move(appName),
            condition,      Uuid::random(),      std::move(profileName),
            applying};
}

struct Watched {
    RulesModel model;
    std::vector<RulesModel::Property> told;
    core::Subscription subscription =
        model.observers.observe([this](RulesModel::Property property) { told.push_back(property); });
};

} // namespace

TEST(RulesModelTest, UpdateTellsOnlyAboutTheListsThatChanged) {
    Watched watched;
    const std::vector<RuleRow> rows = {row("com.example.mail", Condition::running)};
    const std::vector<ProfileChoice> profiles = {{Uuid::random(), "家", true},
                                                 {Uuid::random(), "仕事", false}};

    watched.model.update(rows, profiles);
    EXPECT_EQ(watched.told, (std::vector{RulesModel::Property::rows, RulesModel::Property::profiles}));

    watched.told.clear();
    watched.model.update(rows, profiles);
    EXPECT_TRUE(watched.told.empty()) << "an unchanged refresh wakes nobody";

    auto switched = profiles;
    switched[0].isActive = false;
    switched[1].isActive = true;
    watched.model.update(rows, switched);
    EXPECT_EQ(watched.told, std::vector{RulesModel::Property::profiles});
    EXPECT_EQ(watched.model.profiles(), switched);
    EXPECT_EQ(watched.model.rows(), rows);

    watched.told.clear();
    auto moved = rows;
    moved[0].isApplying = true;
    watched.model.update(moved, switched);
    EXPECT_EQ(watched.told, std::vector{RulesModel::Property::rows}) << "one field of one row counts";
}

TEST(RulesModelTest, SettingACallbackTellsNobody) {
    Watched watched;
    watched.model.onAdd = [](const std::string&, Condition, const Uuid&) { return true; };
    watched.model.onSetCondition = [](const Uuid&, Condition) { return true; };
    watched.model.onSetProfile = [](const Uuid&, const Uuid&) { return true; };
    watched.model.onMoveUp = [](const Uuid&) {};
    watched.model.onDelete = [](const Uuid&) {};
    watched.model.runningApps = [] { return std::vector<app::RuleAppChoice>{}; };
    watched.model.chooseOtherApp = [](const RulesModel::AppCompletion& done) {
        done(std::nullopt);
        return std::function<void()>();
    };
    watched.model.onDelete = nullptr;
    EXPECT_TRUE(watched.told.empty());
}

TEST(RulesModelTest, WithoutRowsNothingAppliesOrExists) {
    const RulesModel model;
    EXPECT_FALSE(model.applyingNote());
    for (const char* bundleID : {"", "com.example.mail"}) {
        for (const auto condition : core::allConditions) {
            EXPECT_FALSE(model.exists(bundleID, condition)) << bundleID;
        }
    }
}

TEST(RulesModelTest, ExistsMatchesTheIdentifierExactlyAndPerCondition) {
    RulesModel model;
    model.setRows({row("com.example.Mail", Condition::running)});
    struct Case {
        const char* bundleID;
        Condition condition;
        bool exists;
    };
    const Case cases[] = {
        {"com.example.Mail", Condition::running, true},   {"com.example.Mail", Condition::frontmost, false},
        {"com.example.mail", Condition::running, false},  {"COM.EXAMPLE.MAIL", Condition::running, false},
        {"com.example.Mail ", Condition::running, false}, {"com.example", Condition::running, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(model.exists(c.bundleID, c.condition), c.exists)
            << c.bundleID << " " << core::toString(c.condition);
    }
    model.setRows(
        {row("com.example.Mail", Condition::running), row("com.example.Mail", Condition::frontmost)});
    EXPECT_TRUE(model.exists("com.example.Mail", Condition::frontmost));
}

TEST(RulesModelTest, TheNoteNamesTheFirstRuleInForceWithItsPhrase) {
    struct Case {
        std::vector<RuleRow> rows;
        std::optional<std::string> note;
    };
    const Case cases[] = {
        {{row("a", Condition::running, false)}, std::nullopt},
        {{row("a", Condition::frontmost, true, "Safari", "集中")},
         "いまは「Safari」が前面にあるので、「集中」に切り替えています。"},
        {{row("a", Condition::running, true, "Xcode", "開発")},
         "いまは「Xcode」が動いているので、「開発」に切り替えています。"},
        // The names stand as they are, marks and quotes included.
        {{row("a", Condition::running, false, "Off"),
          row("b", Condition::running, true, "100% 「Mail」", "%@ 家"),
          row("c", Condition::frontmost, true, "Later", "Other")},
         "いまは「100% 「Mail」」が動いているので、「%@ 家」に切り替えています。"},
    };
    for (const auto& c : cases) {
        RulesModel model;
        model.setRows(c.rows);
        EXPECT_EQ(model.applyingNote(), c.note);
    }
}

TEST(RulesModelTest, ConditionTextsAreLookedUpWhenAsked) {
    EXPECT_EQ(core::title(Condition::running), "動いている間");
    EXPECT_EQ(core::title(Condition::frontmost), "前面にある間");
    EXPECT_EQ(core::phrase(Condition::running), "動いている");
    EXPECT_EQ(core::phrase(Condition::frontmost), "前面にある");
    EXPECT_EQ(core::allConditions[0], Condition::running) << "running is offered first";

    core::installTranslations(
        {{"前面にある間", "while frontmost"},
         {"動いている", "is running"},
         {"いまは「%@」が%@ので、「%@」に切り替えています。", "%1$@ %2$@, so %3$@ is in use."}});
    EXPECT_EQ(core::title(Condition::frontmost), "while frontmost");
    RulesModel model;
    model.setRows({row("a", Condition::running, true, "Xcode", "Work")});
    EXPECT_EQ(model.applyingNote(), "Xcode is running, so Work is in use.");
    core::installTranslations({});
}

} // namespace PELLACOR_TEST_FILE
