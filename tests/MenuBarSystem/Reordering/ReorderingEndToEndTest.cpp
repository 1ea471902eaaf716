// Reading the simulated menu bar's layout table, planning a profile's order over
// it and writing the plan back rearranges the simulated bar.

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Planning/OrderPlanner.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Reordering/ItemReorderer.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using core::AppKey;
using core::OrderPlanner;
using core::Section;
using platform::MenuBarLayoutFile;
using platform::PropertyListValue;
using Result = SystemResult<core::LayoutTable>;

namespace {

const std::string self(core::bundleIdentifier);
const std::string standIn = "UserSwitcherStandIn";

std::string key(const std::string& bundle, int index) {
    return MenuBarLayoutFile::key(bundle, "Item-" + std::to_string(index));
}

class ReorderingEndToEndTest : public ::testing::Test {
protected:
    ReorderingEndToEndTest() {
        platform::Scenario scenario = platform::Scenario::defaultScenario();
        // Without a camera housing every item stands on the bar, so the whole order shows.
        scenario.screens = {platform::SimulatedScreen{core::Rect(0, 0, 1512, 982)}};
        scenario.home.folder = home.path();
        scenario.home.menuBarContainerGranted = true;
        // The table as the system left it: the control item, hidden and shown
        // applications on the wrong sides, a boolean entry and a broken position.
        // Murmurtask and Quillow Sync have no entries yet.
        PropertyListValue::Dictionary table{
            {key("com.example.fernlight", 0), PropertyListValue::real(30)},
            {key("com.example.fernlight", 1), PropertyListValue::real(31)},
            {key("com.example.cobaltide", 0), PropertyListValue::real(10)},
            {key("com.example.zephyrin", 0), PropertyListValue::integer(40)},
            {key(self, 0), PropertyListValue::real(20)},
            {key("com.example.vellumpad", 0), PropertyListValue::real(25)},
            {key("com.example.brambleclip", 0), PropertyListValue::real(5)},
            {key("com.example.orbitab", 0), PropertyListValue::real(12)},
            {key("com.example.orbitab", 1), PropertyListValue::real(13)},
            {key("com.example.lanternmeter", 0), PropertyListValue::real(1)},
            {key("com.example.lanternmeter", 1), PropertyListValue::real(2)},
            {key("com.example.lanternmeter", 2), PropertyListValue::real(3)},
            {key("com.example.tinderbell", 0), PropertyListValue::real(35)},
            {key("com.example.saffrontunnel", 0), PropertyListValue::real(22)},
            {key("com.example.driftkey", 0), PropertyListValue::real(8)},
            {key("com.example.driftkey", 1), PropertyListValue::real(9)},
            {"status:com.example.old::Item-0", PropertyListValue::boolean(true)},
            {"status:com.example.broken::Item-0",
             PropertyListValue::real(std::numeric_limits<double>::quiet_NaN())},
        };
        const auto file = MenuBarLayoutFile::location(home.path());
        std::filesystem::create_directories(file.parent_path());
        EXPECT_TRUE(platform::PropertyListFile::write(
            file, {{std::string(MenuBarLayoutFile::positionsKey), PropertyListValue(table)}}));
        platform = std::make_unique<platform::SimulatedPlatform>(scenario);
        auto services = platform->services();
        reorderer = std::make_unique<ItemReorderer>(
            std::make_shared<concurrency::SerialQueue>(ItemReorderer::queueLabel()),
            services.preferencesDomain, services.fileManager);
    }

    std::optional<Result> run(concurrency::Task<Result> task) {
        auto handle = concurrency::spawn(executor, std::move(task));
        if (!executor.runUntil([&] { return handle.isFinished(); })) {
            return std::nullopt;
        }
        return handle.result();
    }

    // The owners on the bar from left to right, each once per run of its items.
    std::vector<std::string> barOwners() const {
        std::vector<std::string> owners;
        for (const auto& placed : platform->desktop()->menuBarItems()) {
            const std::string owner = placed.ownerBundleIdentifier.value_or("-");
            if (owners.empty() || owners.back() != owner) {
                owners.push_back(owner);
            }
        }
        return owners;
    }

    // What the coordinator does: plan over the table read and write the plan
    // expecting that same table.
    std::optional<Result> applyOrder(const core::Profile& profile) {
        auto read = run(reorderer->readTable());
        if (!read || !read->isOk()) {
            return read;
        }
        const core::LayoutTable table = *read->value();
        std::map<AppKey, int> iconCounts;
        std::set<AppKey> running;
        for (const auto& app : platform->desktop()->runningApplications()) {
            if (app.bundleIdentifier) {
                iconCounts[AppKey(*app.bundleIdentifier)] = static_cast<int>(app.statusItems.size());
                running.insert(AppKey(*app.bundleIdentifier));
            }
        }
        const std::set<std::string> keepNames{standIn};
        const auto newKeys = OrderPlanner::missingShownKeys(table, profile, self, iconCounts);
        const auto appleKeys = OrderPlanner::appleKeysLeftOfControl(table, self, keepNames, running);
        auto plan = OrderPlanner::plan(table, profile, self, keepNames, std::nullopt, std::nullopt, newKeys,
                                       appleKeys);
        if (!std::holds_alternative<core::LayoutTable>(plan)) {
            return std::nullopt;
        }
        lastPlan = std::get<core::LayoutTable>(plan);
        return run(reorderer->write(lastPlan, table));
    }

    pellacor::testing::TempDir home;
    concurrency::ManualExecutor executor;
    std::unique_ptr<platform::SimulatedPlatform> platform;
    std::unique_ptr<ItemReorderer> reorderer;
    core::LayoutTable lastPlan;
};

TEST_F(ReorderingEndToEndTest, WritingAProfilesOrderRearrangesTheBar) {
    const std::vector<std::string> hidden{"com.example.lanternmeter", "com.example.fernlight",
                                          "com.example.driftkey", "com.example.brambleclip",
                                          "com.example.tinderbell"};
    const std::vector<std::string> shown{"com.example.zephyrin",   "com.example.quillowsync",
                                         "com.example.orbitab",    "com.example.saffrontunnel",
                                         "com.example.murmurtask", "com.example.cobaltide",
                                         "com.example.vellumpad"};
    std::map<AppKey, Section> sections;
    std::vector<AppKey> order;
    for (const auto& bundle : hidden) {
        sections.emplace(AppKey(bundle), Section::hidden);
        order.emplace_back(bundle);
    }
    for (const auto& bundle : shown) {
        sections.emplace(AppKey(bundle), Section::shown);
        order.emplace_back(bundle);
    }
    const core::Profile profile(core::Uuid::random(), "Work", sections, order, Section::shown);

    // Left to right: the helper without a bundle identifier has no entry and
    // stays leftmost; then the hidden applications, the control item and the
    // shown ones, each side in profile order; the system's items stay rightmost.
    std::vector<std::string> expected{"-"};
    expected.insert(expected.end(), hidden.begin(), hidden.end());
    expected.push_back(self);
    expected.insert(expected.end(), shown.begin(), shown.end());
    expected.insert(expected.end(), {"com.apple.MenuBarAgent", "com.apple.controlcenter"});
    ASSERT_NE(barOwners(), expected);

    const auto written = applyOrder(profile);
    ASSERT_TRUE(written.has_value());
    ASSERT_TRUE(written->isOk()) << toString(*written);
    EXPECT_FALSE(lastPlan.empty());

    EXPECT_EQ(barOwners(), expected);

    // An application's own items keep their order: its first item rightmost.
    std::vector<std::string> quillow;
    for (const auto& placed : platform->desktop()->menuBarItems()) {
        if (placed.ownerBundleIdentifier == "com.example.quillowsync") {
            quillow.push_back(placed.item.identifier.value_or(""));
        }
    }
    EXPECT_EQ(quillow, (std::vector<std::string>{"quillow.share", "quillow.upload", "quillow.status"}));

    // Entries that are no positions are still there, and the order is now stable.
    auto table = platform->preferencesDomain()->copyValue(std::string(MenuBarLayoutFile::positionsKey),
                                                          MenuBarLayoutFile::location(home.path()).string());
    ASSERT_TRUE(table && table->dictionaryValue());
    EXPECT_EQ(table->dictionaryValue()->at("status:com.example.old::Item-0"),
              PropertyListValue::boolean(true));
    EXPECT_TRUE(std::isnan(*table->dictionaryValue()->at("status:com.example.broken::Item-0").realValue()));
    const auto again = applyOrder(profile);
    ASSERT_TRUE(again && again->isOk());
    EXPECT_TRUE(lastPlan.empty());
}

TEST_F(ReorderingEndToEndTest, AnotherProfileMovesTheBarAgainAndAStaleWriteChangesNothing) {
    std::map<AppKey, Section> sections{{AppKey("com.example.cobaltide"), Section::hidden},
                                       {AppKey("com.example.tinderbell"), Section::shown}};
    const core::Profile first(core::Uuid::random(), "A", sections, {AppKey("com.example.tinderbell")},
                              Section::hidden);
    const auto stale = run(reorderer->readTable());
    ASSERT_TRUE(stale && stale->isOk());
    ASSERT_TRUE(applyOrder(first)->isOk());
    auto owners = barOwners();
    const auto at = [&](const std::string& owner) {
        return std::find(owners.begin(), owners.end(), owner) - owners.begin();
    };
    EXPECT_LT(at("com.example.cobaltide"), at(self));
    EXPECT_GT(at("com.example.tinderbell"), at(self));
    EXPECT_LT(at("com.example.zephyrin"), at(self)) << "new items are hidden in this profile";

    // A write planned over the table before that change is refused and leaves the bar alone.
    const auto bytes = pellacor::testing::TempDir::read(MenuBarLayoutFile::location(home.path()));
    EXPECT_EQ(run(reorderer->write({{key("com.example.cobaltide", 0), 99}}, *stale->value())),
              Result::unavailable(UnavailableReason::layoutChanged));
    EXPECT_EQ(pellacor::testing::TempDir::read(MenuBarLayoutFile::location(home.path())), bytes);
    EXPECT_EQ(barOwners(), owners);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
