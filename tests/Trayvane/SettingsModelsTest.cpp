#include "Trayvane/Settings/ModelObservers.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/SectionsModel.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

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
