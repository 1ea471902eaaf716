#include "Platform/Simulated/Scenario.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;

namespace {

const Scenario* scenarioOf(const std::variant<Scenario, ScenarioError>& result) {
    return std::get_if<Scenario>(&result);
}

std::string errorOf(const std::variant<Scenario, ScenarioError>& result) {
    auto* error = std::get_if<ScenarioError>(&result);
    return error ? error->message : "";
}

TEST(ScenarioTest, DefaultScenarioIsACoherentDesktopWithTheProgramOnTheBar) {
    const Scenario scenario = Scenario::defaultScenario();
    std::set<std::int32_t> pids;
    int madeUp = 0;
    for (const auto& app : scenario.applications) {
        EXPECT_TRUE(pids.insert(app.processIdentifier).second) << app.localizedName;
        if (app.bundleIdentifier && app.bundleIdentifier->starts_with("com.example.") && app.isRunning) {
            ++madeUp;
            EXPECT_LE(app.statusItems.size(), 3u) << app.localizedName;
        }
        // Only invented makers, the system and the program itself.
        if (app.bundleIdentifier) {
            EXPECT_TRUE(app.bundleIdentifier->starts_with("com.example.") ||
                        app.bundleIdentifier->starts_with("com.apple.") ||
                        *app.bundleIdentifier == core::bundleIdentifier)
                << *app.bundleIdentifier;
        }
    }
    EXPECT_GE(madeUp, 10);

    SimulatedPlatform platform(scenario);
    auto placed = platform.desktop()->menuBarItems();
    ASSERT_FALSE(placed.empty());
    EXPECT_EQ(placed.back().item.identifier, "com.apple.menuextra.clock") << "the clock stands rightmost";
    EXPECT_EQ(placed.back().frame.maxX(), 1512);
    auto control = std::find_if(placed.begin(), placed.end(),
                                [](const auto& p) { return p.item.identifier == "trv-control"; });
    ASSERT_NE(control, placed.end());
    EXPECT_EQ(control->ownerBundleIdentifier, std::string(core::bundleIdentifier));
    auto hasOwner = [&](const std::string& owner) {
        return std::any_of(placed.begin(), placed.end(),
                           [&](const auto& p) { return p.ownerBundleIdentifier == owner; });
    };
    EXPECT_TRUE(hasOwner("com.apple.controlcenter"));
    EXPECT_TRUE(hasOwner("com.apple.MenuBarAgent"));
    EXPECT_FALSE(hasOwner("com.example.pebblemail")) << "not running";
    for (const auto& p : placed) {
        EXPECT_GE(p.frame.minX(), 0) << "everything fits on the default screen";
    }
}

TEST(ScenarioTest, DecodesEveryPartOfAFile) {
    const auto result = Scenario::decode(R"({
        "screens": [{"frame": {"x": 0, "y": 0, "width": 800, "height": 600}, "menuBarHeight": 30}],
        "applications": [
            {"bundleIdentifier": "com.example.one", "processIdentifier": 700, "localizedName": "One",
             "bundlePath": "/Applications/One.app", "activationPolicy": "accessory", "active": true,
             "statusItems": [{"identifier": "one.a", "description": "A", "title": "1", "width": 40},
                             {"kind": "system", "systemItemNumber": 7, "role": "AXMenuExtra",
                              "hiddenWhileRestricted": true}]},
            {"localizedName": "bare-tool", "running": false, "statusItems": []},
            {"bundleIdentifier": "com.example.two", "futureKey": {"ignored": true}}
        ],
        "loaderFaults": [{"kind": "frameworkMissing"},
                         {"kind": "wrongArgumentCount", "class": "K", "selector": "s:", "argumentCount": 3}],
        "restriction": {"completion": "delayed", "delayMilliseconds": 250, "completionError": 9,
                        "refusesConfiguration": true, "activatesAfterInvalidation": false}
    })");
    const Scenario* scenario = scenarioOf(result);
    ASSERT_NE(scenario, nullptr) << errorOf(result);
    EXPECT_EQ(scenario->screens, (std::vector<SimulatedScreen>{{core::Rect(0, 0, 800, 600), 30}}));
    ASSERT_EQ(scenario->applications.size(), 3u);
    const auto& one = scenario->applications[0];
    EXPECT_EQ(one.processIdentifier, 700);
    EXPECT_EQ(one.activationPolicy, SimulatedApplication::ActivationPolicy::accessory);
    EXPECT_TRUE(one.isActive);
    ASSERT_EQ(one.statusItems.size(), 2u);
    EXPECT_EQ(one.statusItems[0].title, "1");
    EXPECT_EQ(one.statusItems[0].width, 40);
    EXPECT_EQ(one.statusItems[1].kind, SimulatedStatusItem::Kind::system);
    EXPECT_EQ(one.statusItems[1].systemItemNumber, 7);
    EXPECT_EQ(one.statusItems[1].role, "AXMenuExtra");
    EXPECT_FALSE(one.statusItems[0].hiddenWhileRestricted);
    EXPECT_TRUE(one.statusItems[1].hiddenWhileRestricted);
    EXPECT_EQ(scenario->applications[1].bundleIdentifier, std::nullopt);
    EXPECT_FALSE(scenario->applications[1].isRunning);
    // Missing process identifiers are assigned, unique.
    EXPECT_GT(scenario->applications[1].processIdentifier, 700);
    EXPECT_GT(scenario->applications[2].processIdentifier, scenario->applications[1].processIdentifier);
    EXPECT_EQ(scenario->applications[2].localizedName, "com.example.two");

    ASSERT_EQ(scenario->loaderFaults.size(), 2u);
    EXPECT_EQ(scenario->loaderFaults[0].kind, SimulatedRuntimeLoader::Fault::Kind::libraryMissing);
    EXPECT_EQ(scenario->loaderFaults[0].libraryPath, SimulatedRestrictionService::frameworkPath);
    EXPECT_EQ(scenario->loaderFaults[1].argumentCount, 3u);
    EXPECT_EQ(scenario->restriction.completion, SimulatedRestrictionService::CompletionMode::delayed);
    EXPECT_EQ(scenario->restriction.delay, std::chrono::milliseconds(250));
    EXPECT_EQ(scenario->restriction.completionError, 9u);
    EXPECT_TRUE(scenario->restriction.refusesConfiguration);
    EXPECT_FALSE(scenario->restriction.activatesAfterInvalidation);

    // The faults reach the platform built from it.
    SimulatedPlatform platform(*scenario);
    EXPECT_FALSE(platform.runtimeLoader()->openLibrary(
        std::string(SimulatedRestrictionService::frameworkPath), RuntimeLoader::BindingMode::now));
}

TEST(ScenarioTest, TextThatIsNotJsonIsReportedWithItsLineColumnAndReason) {
    struct Case {
        const char* json;
        const char* message;
    };
    const std::vector<Case> cases{
        {"{\n  \"applications\": [],\n  \"home\": tru\n}",
         "the scenario is not valid JSON: line 3, column 14: syntax error while parsing value - invalid "
         "literal; last read: '\"home\": tru<U+000A>'"},
        {"{\"applications\": [}", "the scenario is not valid JSON: line 1, column 19: syntax error while "
                                  "parsing value - unexpected '}'; expected '[', '{', or a literal"},
    };
    for (const auto& c : cases) {
        const auto decoded = Scenario::decode(c.json);
        const auto* error = std::get_if<ScenarioError>(&decoded);
        ASSERT_NE(error, nullptr) << c.json;
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(ScenarioTest, MalformedInputGivesAnErrorValueNamingThePlace) {
    struct Case {
        const char* json;
        const char* fragment;
    };
    const std::vector<Case> cases{
        {"", "not valid JSON"},
        {"{\"applications\": [", "not valid JSON"},
        {"[]", "must be a JSON object"},
        {"{}", "applications: missing"},
        {R"({"applications": {}})", "applications: expected an array"},
        {R"({"applications": [3]})", "applications[0]: expected an object"},
        {R"({"applications": [{"bundleIdentifier": 5}]})",
         "applications[0].bundleIdentifier: expected a string"},
        {R"({"applications": [{"bundleIdentifier": ""}]})",
         "applications[0].bundleIdentifier: must not be empty"},
        {R"({"applications": [{"processIdentifier": -3}]})", "applications[0].processIdentifier"},
        {R"({"applications": [{"processIdentifier": 1.5}]})", "applications[0].processIdentifier"},
        {R"({"applications": [{"processIdentifier": 99999999999}]})", "applications[0].processIdentifier"},
        {R"({"applications": [{"processIdentifier": 5}, {"processIdentifier": 5}]})",
         "applications[1].processIdentifier: taken"},
        {R"({"applications": [{"active": true}, {"active": true}]})", "more than one application is active"},
        {R"({"applications": [{"active": true, "running": false}]})", "applications[0].active"},
        {R"({"applications": [{"activationPolicy": "sometimes"}]})",
         "applications[0].activationPolicy: expected one of"},
        {R"({"applications": [{"running": "yes"}]})", "applications[0].running: expected true or false"},
        {R"({"applications": [{"statusItems": [{"width": -1}]}]})", "applications[0].statusItems[0].width"},
        {R"({"applications": [{"statusItems": [{"width": "wide"}]}]})",
         "applications[0].statusItems[0].width"},
        {R"({"applications": [{"statusItems": [{"kind": "system"}]}]})",
         "applications[0].statusItems[0].systemItemNumber: missing"},
        {R"({"applications": [{"statusItems": [{"kind": "system", "systemItemNumber": 64}]}]})",
         "systemItemNumber: expected a whole number from 0 to 63"},
        {R"({"applications": [], "screens": []})", "screens: at least one screen"},
        {R"({"applications": [], "screens": [{"frame": {"x": 0, "y": 0, "width": 0, "height": 10}}]})",
         "screens[0].frame.width"},
        {R"({"applications": [], "screens": [{}]})", "screens[0].frame: missing"},
        {R"({"applications": [], "loaderFaults": [{}]})", "loaderFaults[0].kind: missing"},
        {R"({"applications": [], "loaderFaults": [{"kind": "classMissing"}]})",
         "loaderFaults[0].class: missing"},
        {R"({"applications": [], "loaderFaults": [{"kind": "wrongArgumentCount", "class": "K", "selector": "s"}]})",
         "loaderFaults[0].argumentCount: missing"},
        {R"({"applications": [], "restriction": {"completion": "soon"}})", "restriction.completion"},
        {R"({"applications": [], "restriction": []})", "restriction: expected an object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        auto result = Scenario::decode(c.json);
        ASSERT_TRUE(std::holds_alternative<ScenarioError>(result));
        EXPECT_NE(errorOf(result).find(c.fragment), std::string::npos) << errorOf(result);
    }
}

TEST(ScenarioTest, LoadsFromAFileAndReportsAMissingOne) {
    pellacor::testing::TempDir dir;
    auto file = dir.write("desk.json", R"({"applications": [{"bundleIdentifier": "com.example.x"}]})");
    auto loaded = Scenario::load(file);
    ASSERT_NE(scenarioOf(loaded), nullptr) << errorOf(loaded);
    EXPECT_EQ(scenarioOf(loaded)->applications.size(), 1u);

    auto broken = Scenario::load(dir.write("broken.json", "{"));
    EXPECT_NE(errorOf(broken).find("broken.json"), std::string::npos);
    EXPECT_NE(errorOf(Scenario::load(dir / "absent.json")).find("cannot read"), std::string::npos);
}

TEST(ScenarioTest, AScenarioWithoutTheProgramGetsItAddedRunningAndOneWithItIsLeftAlone) {
    // 520, the built-in desktop's number for the program, is taken here.
    auto decoded = Scenario::decode(R"({"applications": [
        {"bundleIdentifier": "com.example.a", "processIdentifier": 520},
        {"bundleIdentifier": "com.example.b", "processIdentifier": 521}],
        "ownBundlePath": "/Users/aoi/Applications/Pellacor.app"})");
    ASSERT_NE(scenarioOf(decoded), nullptr) << errorOf(decoded);
    Scenario scenario = *scenarioOf(decoded);
    EXPECT_TRUE(scenario.addProgramWhenMissing());
    ASSERT_EQ(scenario.applications.size(), 3u);
    const SimulatedApplication& program = scenario.applications.back();
    EXPECT_EQ(program.bundleIdentifier, std::string(core::bundleIdentifier));
    EXPECT_EQ(program.processIdentifier, 522);
    EXPECT_EQ(program.bundlePath, "/Users/aoi/Applications/Pellacor.app");
    EXPECT_TRUE(program.isRunning);
    EXPECT_EQ(program.activationPolicy, SimulatedApplication::ActivationPolicy::accessory);
    EXPECT_TRUE(program.statusItems.empty());

    EXPECT_FALSE(scenario.addProgramWhenMissing()) << "added once only";
    EXPECT_EQ(scenario.applications.size(), 3u);
    Scenario builtIn = Scenario::defaultScenario();
    const auto before = builtIn.applications;
    EXPECT_FALSE(builtIn.addProgramWhenMissing());
    EXPECT_EQ(builtIn.applications, before);

    // Added, an item the program makes reaches the bar.
    auto platform = std::make_shared<SimulatedPlatform>(scenario);
    auto control = platform->statusBar()->statusItem(28);
    const auto placed = platform->desktop()->menuBarItems();
    EXPECT_TRUE(std::any_of(placed.begin(), placed.end(),
                            [](const auto& item) { return item.ownerProcessIdentifier == 522; }));
}

} // namespace
} // namespace PELLACOR_TEST_FILE
