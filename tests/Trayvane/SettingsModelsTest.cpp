#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ModelObservers.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/SectionsModel.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::ProfileChoice;
using app::ProfilesModel;
using app::SectionsModel;
using core::AppKey;
using core::Profile;
using core::Section;
using core::Uuid;

TEST(ProfilesModelTest, TellsOnlyWhenTheListReallyChanges) {
    ProfilesModel model;
    int told = 0;
    model.observers.add([&](ProfilesModel::Property) { ++told; });
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

TEST(SectionsModelTest, RowsFollowTheProfileOnRebuildAndNothingEqualIsTold) {
    const Profile first(
        Uuid::random(), "ふだん",
        {{AppKey("com.example.chat"), Section::hidden}, {AppKey("com.example.mail"), Section::shown}}, {},
        Section::hidden);
    SectionsModel model(first, "app.trayvane.pellacor");
    ASSERT_EQ(model.rows().size(), 2u) << "built at once, with no items yet";
    std::vector<SectionsModel::Property> told;
    model.observers.add([&](SectionsModel::Property p) { told.push_back(p); });

    model.setProfile(first);
    model.rebuild();
    model.setSaveWarning(std::nullopt);
    EXPECT_TRUE(told.empty());

    Profile second = first;
    second.order = {AppKey("com.example.mail"), AppKey("com.example.chat")};
    model.setProfile(second);
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.chat")) << "setting the profile does not rebuild";
    model.rebuild();
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.mail"));
    model.setSaveWarning("保存できません");
    EXPECT_EQ(told, (std::vector<SectionsModel::Property>{SectionsModel::Property::profile,
                                                          SectionsModel::Property::rows,
                                                          SectionsModel::Property::saveWarning}));
}

TEST(ModelObserversTest, AnObserverMayRemoveItselfOrAnotherWhileBeingTold) {
    app::ModelObservers<int> observers;
    std::vector<std::string> told;
    app::ModelObservers<int>::Token second = 0;
    app::ModelObservers<int>::Token first = observers.add([&](int) {
        told.emplace_back("first");
        observers.remove(first);
        observers.remove(second);
    });
    second = observers.add([&](int) { told.emplace_back("second"); });
    observers.add([&](int p) { told.push_back(fmt::format("third {}", p)); });

    observers.notify(1);
    observers.notify(2);
    EXPECT_EQ(told, (std::vector<std::string>{"first", "third 1", "third 2"}));
}

TEST(SectionsModelTest, ReadsAndTheBarsOrderRebuildOnlyWhenTheyChange) {
    const Profile profile(
        Uuid::random(), "ふだん",
        {{AppKey("com.example.chat"), Section::shown}, {AppKey("com.example.mail"), Section::shown}},
        {AppKey("com.example.chat"), AppKey("com.example.mail")}, Section::hidden);
    SectionsModel model(profile, "app.trayvane.pellacor");
    std::vector<SectionsModel::Property> told;
    model.observers.add([&](SectionsModel::Property p) { told.push_back(p); });
    const std::vector<core::ItemSnapshot> items{
        core::ItemSnapshot("com.example.chat", 301, "chat.status", std::nullopt, std::nullopt, 0,
                           std::nullopt),
        core::ItemSnapshot("com.example.mail", 302, "mail.status", std::nullopt, std::nullopt, 0,
                           std::nullopt)};
    const std::set<std::string> running{"com.example.chat", "com.example.mail"};

    model.update(items, running);
    EXPECT_EQ(model.items(), items);
    EXPECT_EQ(model.running(), running);
    told.clear();
    model.update(items, running);
    EXPECT_TRUE(told.empty()) << "the same read changes nothing";

    // The bar's order wins over the profile's once known; nothing falls back.
    model.setLayoutFolderNote("違うフォルダが選ばれました");
    told.clear();
    model.update(std::vector<AppKey>{AppKey("com.example.mail"), AppKey("com.example.chat")});
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.mail"));
    EXPECT_FALSE(model.layoutFolderNote()) << "an order clears the note";
    EXPECT_EQ(told, (std::vector<SectionsModel::Property>{SectionsModel::Property::layoutFolderNote,
                                                          SectionsModel::Property::rows}));

    model.setLayoutFolderNote("許可しなかったので");
    told.clear();
    model.update(std::vector<AppKey>{AppKey("com.example.mail"), AppKey("com.example.chat")});
    EXPECT_EQ(told, std::vector<SectionsModel::Property>{SectionsModel::Property::layoutFolderNote})
        << "the same order clears the note without a rebuild";

    model.update(std::nullopt);
    EXPECT_EQ(model.rows().front().app, AppKey("com.example.chat")) << "not granted: the profile's order";
    told.clear();
    model.update(std::nullopt);
    EXPECT_TRUE(told.empty());
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
    model.observers.add([&](Property p) { told.push_back(p); });
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
        model.observers.add([&](app::GeneralModel::Property) { ++told; });
        model.setPauseReason(c.after);
        EXPECT_EQ(told, c.tells ? 1 : 0);
        EXPECT_EQ(model.pauseReason(), c.after);
    }
}

} // namespace PELLACOR_TEST_FILE
