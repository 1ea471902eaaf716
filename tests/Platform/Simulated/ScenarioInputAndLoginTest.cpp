#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;

namespace {

std::string errorOf(const std::variant<Scenario, ScenarioError>& result) {
    auto* error = std::get_if<ScenarioError>(&result);
    return error ? error->message : "";
}

const std::string loginLibrary(SimulatedLoginWindow::libraryPath);

} // namespace

TEST(ScenarioInputAndLoginTest, UsualSystemShortcutsLeaveTheProgramsKeysFree) {
    const auto usual = Scenario::usualSymbolicHotKeys();
    ASSERT_FALSE(usual.empty());
    for (const auto& hotKey : usual) {
        EXPECT_FALSE(hotKey.keyCode == 11 && hotKey.modifiers == 0x1200);
        EXPECT_FALSE(hotKey.keyCode == 3 && hotKey.modifiers == 0x1200);
    }
    EXPECT_EQ(Scenario().symbolicHotKeys, usual);

    SimulatedPlatform platform;
    auto copy = platform.hotkeyManager()->copySymbolicHotKeys();
    ASSERT_TRUE(copy.hotKeys && copy.hotKeys->arrayValue());
    EXPECT_EQ(copy.hotKeys->arrayValue()->size(), usual.size());
    EXPECT_EQ(platform.services().hotkeyManager, platform.hotkeyManager());
    EXPECT_EQ(platform.services().loginItemService, platform.loginItemService());
    // The login framework is there and its function succeeds.
    auto handle = platform.runtimeLoader()->openLibrary(loginLibrary, RuntimeLoader::BindingMode::now);
    ASSERT_TRUE(handle);
    auto switchFn = platform.runtimeLoader()->lookUpFunction(*handle, "SACSwitchToLoginWindow");
    ASSERT_TRUE(switchFn);
    EXPECT_EQ(switchFn(), 0);
    EXPECT_EQ(platform.loginWindow()->switchCount(), 1);
}

TEST(ScenarioInputAndLoginTest, DecodesShortcutsLoginItemAndLoginWindow) {
    const auto result = Scenario::decode(R"({
        "applications": [],
        "symbolicHotKeys": [{"keyCode": 11, "modifiers": 4608}, {"keyCode": 3, "modifiers": 4608, "enabled": false}],
        "loginItem": {"status": "requiresApproval", "requiresApproval": true, "registerError": 12,
                      "unregisterError": -3},
        "loginWindow": {"available": false, "result": -1}
    })");
    ASSERT_TRUE(std::holds_alternative<Scenario>(result)) << errorOf(result);
    const auto& scenario = std::get<Scenario>(result);
    EXPECT_EQ(scenario.symbolicHotKeys,
              (std::vector<SimulatedHotkeyManager::SymbolicHotKey>{{11, 0x1200, true}, {3, 0x1200, false}}));
    EXPECT_EQ(scenario.loginItem,
              (Scenario::LoginItemBehaviour{LoginItemService::Status::requiresApproval, true, 12, -3}));
    EXPECT_EQ(scenario.loginWindow, (Scenario::LoginWindowBehaviour{false, -1}));

    SimulatedPlatform platform(scenario);
    auto& loginItems = *platform.loginItemService();
    EXPECT_EQ(loginItems.mainAppStatus(), LoginItemService::Status::requiresApproval);
    EXPECT_EQ(loginItems.registerMainApp(), (LoginItemService::Error{12}));
    EXPECT_EQ(loginItems.unregisterMainApp(), (LoginItemService::Error{-3}));
    EXPECT_FALSE(platform.runtimeLoader()->openLibrary(loginLibrary, RuntimeLoader::BindingMode::now));
    EXPECT_EQ(platform.loginWindow()->result(), -1);
    // Both keys as given; the disabled one is in the list too.
    auto copy = platform.hotkeyManager()->copySymbolicHotKeys();
    ASSERT_TRUE(copy.hotKeys && copy.hotKeys->arrayValue());
    EXPECT_EQ(copy.hotKeys->arrayValue()->size(), 2u);
}

TEST(ScenarioInputAndLoginTest, MalformedPartsNameThePlace) {
    struct Case {
        const char* json;
        const char* error;
    };
    const std::vector<Case> cases{
        {R"({"applications": [], "symbolicHotKeys": {}})", "symbolicHotKeys: expected an array"},
        {R"({"applications": [], "symbolicHotKeys": [{"modifiers": 1}]})",
         "symbolicHotKeys[0].keyCode: missing"},
        {R"({"applications": [], "symbolicHotKeys": [{"keyCode": -1, "modifiers": 1}]})",
         "symbolicHotKeys[0].keyCode: expected a whole number from 0 to 4294967295"},
        {R"({"applications": [], "loginItem": {"status": "on"}})",
         R"(loginItem.status: expected one of "notRegistered", "enabled", "requiresApproval", "notFound")"},
        {R"({"applications": [], "loginWindow": {"result": 4294967296}})",
         "loginWindow.result: expected a whole number from -2147483648 to 2147483647"},
        {R"({"applications": [], "loginWindow": {"available": 1}})",
         "loginWindow.available: expected true or false"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf(Scenario::decode(c.json)), c.error) << c.json;
    }
}

} // namespace PELLACOR_TEST_FILE
