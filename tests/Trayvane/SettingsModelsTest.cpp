#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfilesModel.h"

#include <gtest/gtest.h>

using namespace pellacor;
using app::ProfileChoice;
using app::ProfilesModel;
using core::Uuid;

TEST(ProfilesModelTest, TellsOnlyWhenTheListReallyChanges) {
    ProfilesModel model;
    int told = 0;
    const auto subscription = model.observers.observe([&](ProfilesModel::Property) { ++told; });
    const Uuid a = Uuid::random();
    const Uuid b = Uuid::random();
    std::vector<ProfileChoice> list{{a, "ふだん", true}, {b, "仕事", false}};

    model.setChoices(list);
    model.setChoices(list);
    EXPECT_EQ(told, 1);
    list[0].isActive = false;
    list[1].isActive = true;
    model.setChoices(list);
    EXPECT_EQ(told, 2);
    EXPECT_EQ(model.choices(), list);
}

TEST(GeneralModelTest, StartsAsTheFreshPageShowsItAndTellsOnlyRealChanges) {
    app::GeneralModel model;
    EXPECT_EQ(model.loginStatus(), system::LoginItemStatus::notRegistered);
    EXPECT_FALSE(model.loginChangeFailed());
    EXPECT_FALSE(model.trusted());
    EXPECT_TRUE(model.inApplicationsFolder());
    EXPECT_EQ(model.state(), core::MenuBarState::starting);
    EXPECT_FALSE(model.pauseReason());
    EXPECT_FALSE(model.hoverReveal());
    EXPECT_FALSE(model.belowBar());
    EXPECT_TRUE(model.userSwitcherStandIn());
    EXPECT_TRUE(model.dragSort());
    EXPECT_TRUE(model.notchOverflow());

    using Property = app::GeneralModel::Property;
    std::vector<Property> told;
    const auto subscription = model.observers.observe([&](Property p) { told.push_back(p); });
    model.setHoverReveal(true);
    model.setHoverReveal(true);
    model.setHoverReveal(false);
    model.setTrusted(std::nullopt);
    model.setTrusted(false);
    model.setTrusted(false);
    model.setState(core::MenuBarState::starting);
    model.setLoginStatus(system::LoginItemStatus::enabled);
    EXPECT_EQ(told, (std::vector<Property>{Property::hoverReveal, Property::hoverReveal, Property::trusted,
                                           Property::loginStatus}));
}

TEST(GeneralModelTest, APauseReasonTellsWhenItsCaseOrItsProblemsDiffer) {
    using coordinator::PauseReason;
    using system::HealthProblem;
    const auto problems = [](std::vector<HealthProblem> list) { return PauseReason::healthProblems(list); };
    const struct {
        const char* name;
        std::optional<PauseReason> before;
        std::optional<PauseReason> after;
        bool tells;
    } cases[] = {
        {"nothing over nothing", std::nullopt, std::nullopt, false},
        {"nothing over manual", PauseReason::manual(), std::nullopt, true},
        {"manual over the modifier", PauseReason::optionKeyAtLaunch(), PauseReason::manual(), true},
        {"an equal list", problems({HealthProblem::noItems, HealthProblem::ownItemMissing}),
         problems({HealthProblem::noItems, HealthProblem::ownItemMissing}), false},
        {"one problem more", problems({HealthProblem::noItems}),
         problems({HealthProblem::noItems, HealthProblem::ownItemMissing}), true},
        {"another order", problems({HealthProblem::ownItemMissing, HealthProblem::noItems}),
         problems({HealthProblem::noItems, HealthProblem::ownItemMissing}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        app::GeneralModel model;
        model.setPauseReason(c.before);
        int told = 0;
        const auto subscription = model.observers.observe([&](app::GeneralModel::Property) { ++told; });
        model.setPauseReason(c.after);
        EXPECT_EQ(told, c.tells ? 1 : 0);
        EXPECT_EQ(model.pauseReason(), c.after);
    }
}
