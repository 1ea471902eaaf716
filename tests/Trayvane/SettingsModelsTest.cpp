#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfilesModel.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

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
        {"the same unreadable reason",
         problems({HealthProblem::cannotRead(system::UnavailableReason::noAccessibilityPermission)}),
         problems({HealthProblem::cannotRead(system::UnavailableReason::noAccessibilityPermission)}), false},
        {"another unreadable reason",
         problems({HealthProblem::cannotRead(system::UnavailableReason::noAccessibilityPermission)}),
         problems({HealthProblem::cannotRead(system::UnavailableReason::systemError(-25204))}), true},
        {"problems over a plain pause", PauseReason::manual(), problems({}), true},
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

TEST(GeneralModelTest, TheLoginNoteSaysWhatTheStatusAsksAndAFailureComesFirst) {
    using Status = system::LoginItemStatus;
    const std::string failed =
        "変えられませんでした。もう一度押すか、システム設定の「ログイン項目」で変えてください。";
    const std::string waiting = "システム設定の「ログイン項目」で、オンにするのを待っています。";
    const std::string folder = "アプリケーションフォルダに入れると、入れられます。";
    const struct {
        bool failed;
        Status status;
        bool inApplications;
        std::optional<std::string> note;
    } cases[] = {
        {true, Status::enabled, true, failed},
        {true, Status::notFound, false, failed},
        {false, Status::enabled, false, std::nullopt},
        {false, Status::requiresApproval, true, waiting},
        {false, Status::notRegistered, true, std::nullopt},
        {false, Status::notRegistered, false, folder},
        {false, Status::notFound, true, folder},
        {false, Status::notFound, false, folder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(system::toString(c.status)) + (c.failed ? " failed" : "") +
                     (c.inApplications ? " inside" : " outside"));
        app::GeneralModel model;
        model.setLoginChangeFailed(c.failed);
        model.setLoginStatus(c.status);
        model.setInApplicationsFolder(c.inApplications);
        EXPECT_EQ(model.loginNote(), c.note);
    }
    // Fresh: not registered, in the Applications folder, nothing failed.
    EXPECT_EQ(app::GeneralModel().loginNote(), std::nullopt);
}

TEST(GeneralModelTest, ThePermissionLineFollowsTheTrustAndWhetherTheIconsCanBeRead) {
    using core::MenuBarState;
    const struct {
        std::optional<bool> trusted;
        MenuBarState state;
        const char* text;
    } cases[] = {
        {std::nullopt, MenuBarState::starting, "確かめています…"},
        {std::nullopt, MenuBarState::needsPermission, "確かめています…"},
        {false, MenuBarState::paused, "許可されていません。許可が付くまで、何も隠しません。"},
        {false, MenuBarState::collapsed, "許可されていません。許可が付くまで、何も隠しません。"},
        {true, MenuBarState::needsPermission,
         "許可は付いていますが、まだアイコンを読めません。許可の案内の「開き直す」を押してください。"},
        {true, MenuBarState::paused, "許可されています。"},
        {true, MenuBarState::starting, "許可されています。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.trusted ? (*c.trusted ? "trusted " : "refused ") : "unknown ") +
                     core::toString(c.state));
        app::GeneralModel model;
        model.setTrusted(c.trusted);
        model.setState(c.state);
        EXPECT_EQ(model.permissionText(), c.text);
    }
}

} // namespace PELLACOR_TEST_FILE
