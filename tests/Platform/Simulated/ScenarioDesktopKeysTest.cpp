#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;

namespace {

Scenario decoded(const std::string& json) {
    auto result = Scenario::decode(json);
    if (const auto* error = std::get_if<ScenarioError>(&result)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Scenario>(result);
}

std::string errorOf(const std::string& json) {
    auto result = Scenario::decode(json);
    const auto* error = std::get_if<ScenarioError>(&result);
    return error != nullptr ? error->message : "";
}

} // namespace

TEST(ScenarioDesktopKeysTest, ReadsTheLoggedInUsersNamesWhichThePlatformAnswers) {
    const Scenario scenario =
        decoded(R"({"applications": [], "user": {"fullName": "Ren Hoshino", "accountName": "ren"}})");
    EXPECT_EQ(scenario.user, (Scenario::UserBehaviour{"Ren Hoshino", "ren"}));
    const SimulatedPlatform platform(scenario);
    EXPECT_EQ(platform.services().userAccount->fullUserName(), "Ren Hoshino");
    EXPECT_EQ(platform.services().userAccount->userName(), "ren");

    // Without a full name the database answers the account name for it.
    const SimulatedPlatform unnamed(
        decoded(R"({"applications": [], "user": {"fullName": "", "accountName": "ren"}})"));
    EXPECT_EQ(unnamed.userAccount()->fullUserName(), "ren");
    EXPECT_EQ(decoded(R"({"applications": []})").user, Scenario::UserBehaviour{})
        << "a made-up user by default";
}

TEST(ScenarioDesktopKeysTest, ReadsTheSystemTheLaunchKeysTheIconsTheChevronAndTheSeededTable) {
    const Scenario scenario = decoded(R"({
        "applications": [{"bundleIdentifier": "com.example.a", "processIdentifier": 11,
                          "icon": {"glyph": "A", "color": "#12ab9F"},
                          "statusItems": [{"kind": "system", "systemItemNumber": 5, "overflowChevron": true}]}],
        "system": {"osVersion": "26.0", "machineModel": "Mac16,1"},
        "launchModifiers": ["shift", "option"],
        "home": {"folder": "/tmp/h", "layoutTable": {"status:com.example.a::Item-0": 3}}})");
    EXPECT_EQ(scenario.system.version, (HostInfo::OperatingSystemVersion{26, 0, 0}));
    EXPECT_EQ(scenario.system.machineModel, "Mac16,1");
    EXPECT_EQ(scenario.launchModifierFlags, InputState::shiftFlag | InputState::optionFlag);
    ASSERT_EQ(scenario.applications.size(), 1U);
    EXPECT_EQ(scenario.applications[0].iconGlyph, std::optional<std::string>("A"));
    EXPECT_EQ(scenario.applications[0].iconColor, std::optional<std::string>("#12ab9F"));
    EXPECT_TRUE(scenario.applications[0].statusItems.at(0).isOverflowChevron);
    EXPECT_EQ(scenario.home.layoutTable,
              (std::map<std::string, double>{{"status:com.example.a::Item-0", 3}}));

    const Scenario plain = decoded(R"({"applications": []})");
    EXPECT_EQ(plain.system, Scenario::SystemBehaviour{});
    EXPECT_EQ(plain.launchModifierFlags, 0U);
}

TEST(ScenarioDesktopKeysTest, RefusesOutOfShapeValuesWithWhereTheyAre) {
    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {R"({"applications": [], "system": {"osVersion": "15"}})", "system.osVersion"},
        {R"({"applications": [], "system": {"osVersion": "15.x"}})", "system.osVersion"},
        {R"({"applications": [], "system": {"osVersion": "1.2.3.4"}})", "system.osVersion"},
        {R"({"applications": [], "launchModifiers": ["hyper"]})", "launchModifiers[0]"},
        {R"({"applications": [], "launchModifiers": [1]})", "launchModifiers[0]"},
        {R"({"applications": [{"processIdentifier": 1, "icon": {"color": "red"}}]})",
         "applications[0].icon.color"},
        {R"({"applications": [], "home": {"folder": "/h", "layoutTable": {"k": "left"}}})",
         "home.layoutTable.k"},
        {R"({"applications": [], "user": {"accountName": ""}})", "user.accountName"},
        {R"({"applications": [], "user": {"fullName": 7}})", "user.fullName"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(errorOf(c.json).find(c.error), std::string::npos) << c.json << " -> " << errorOf(c.json);
    }
}

TEST(ScenarioDesktopKeysTest, TheSeededTableIsWrittenOnlyIntoAHomeThatHasNone) {
    pellacor::testing::TempDir home;
    Scenario scenario;
    scenario.home.folder = home.path();
    scenario.home.layoutTable = {{"status:com.example.a::Item-0", 4}};
    scenario.launchModifierFlags = InputState::optionFlag;
    scenario.system.machineModel = "Mac14,2";
    {
        SimulatedPlatform platform(scenario);
        EXPECT_EQ(platform.desktop()->layoutTable(), scenario.home.layoutTable);
        EXPECT_EQ(platform.input()->modifierFlags(), InputState::optionFlag) << "held at launch";
        EXPECT_EQ(platform.services().hostInfo->machineModel(), "Mac14,2");
    }
    const auto file = MenuBarLayoutFile::location(home.path());
    ASSERT_TRUE(MenuBarLayoutFile::write(file, {{"status:com.example.a::Item-0", 9}}));
    SimulatedPlatform again(scenario);
    EXPECT_EQ(again.desktop()->layoutTable().at("status:com.example.a::Item-0"), 9)
        << "the user's table is kept";
}

} // namespace PELLACOR_TEST_FILE
