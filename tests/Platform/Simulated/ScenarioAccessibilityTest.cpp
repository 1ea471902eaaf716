#include "Platform/Simulated/Scenario.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using namespace std::chrono_literals;

namespace {

TEST(ScenarioAccessibilityTest, ReadsTrustLatenciesAndAttributeErrors) {
    auto decoded = Scenario::decode(R"({
        "accessibilityTrusted": false,
        "applications": [{"bundleIdentifier": "com.example.a",
                          "accessibility": {"latencyMilliseconds": 300,
                                            "attributeErrors": {"AXExtrasMenuBar": -25212}},
                          "statusItems": [{"identifier": "a", "role": "AXGroup",
                                           "accessibility": {"latencyMilliseconds": 1000}},
                                          {"identifier": "b"}]}]
    })");
    ASSERT_TRUE(std::holds_alternative<Scenario>(decoded)) << std::get<ScenarioError>(decoded).message;
    const auto& scenario = std::get<Scenario>(decoded);
    EXPECT_FALSE(scenario.accessibilityTrusted);
    const auto& app = scenario.applications.at(0);
    EXPECT_EQ(app.accessibility.latency, 300ms);
    EXPECT_EQ(app.accessibility.attributeErrors,
              (std::map<std::string, std::int32_t>{{"AXExtrasMenuBar", -25212}}));
    EXPECT_EQ(app.statusItems.at(0).accessibility.latency, 1000ms);
    EXPECT_EQ(app.statusItems.at(0).role, "AXGroup");
    EXPECT_EQ(app.statusItems.at(1).accessibility, SimulatedElementBehaviour{});

    auto plain = Scenario::decode(R"({"applications": []})");
    ASSERT_TRUE(std::holds_alternative<Scenario>(plain));
    EXPECT_TRUE(std::get<Scenario>(plain).accessibilityTrusted);
    EXPECT_TRUE(Scenario::defaultScenario().accessibilityTrusted);
}

TEST(ScenarioAccessibilityTest, RefusesBehavioursOutOfShape) {
    struct Case {
        const char* json;
        const char* message;
    };
    const std::vector<Case> cases = {
        {R"({"applications": [{"accessibility": {"latencyMilliseconds": -1}}]})",
         "applications[0].accessibility.latencyMilliseconds: expected a whole number from 0 to 600000"},
        {R"({"applications": [{"accessibility": {"attributeErrors": {"AXTitle": "no"}}}]})",
         "applications[0].accessibility.attributeErrors.AXTitle: expected a whole number from -2147483648 to "
         "2147483647"},
        {R"({"applications": [{"statusItems": [{"accessibility": []}]}]})",
         "applications[0].statusItems[0].accessibility: expected an object"},
        {R"({"applications": [], "accessibilityTrusted": 1})",
         "accessibilityTrusted: expected true or false"},
    };
    for (const Case& c : cases) {
        auto decoded = Scenario::decode(c.json);
        ASSERT_TRUE(std::holds_alternative<ScenarioError>(decoded)) << c.json;
        EXPECT_EQ(std::get<ScenarioError>(decoded).message, c.message);
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
