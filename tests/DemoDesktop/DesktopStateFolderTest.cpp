#include "DemoDesktop/DesktopStateFolder.h"

#include "DemoDesktop/DesktopReport.h"
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/InputState.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using platform::InputState;
using platform::Scenario;

namespace {

struct DesktopStateFolderTest : ::testing::Test {
    pellacor::testing::TempDir folder;
    demo::DesktopStateFolder state{folder.path()};

    Scenario prepared() const {
        Scenario scenario;
        EXPECT_TRUE(state.prepare(scenario));
        return scenario;
    }
};

} // namespace

TEST_F(DesktopStateFolderTest, ShiftAskedForIsHeldAtTheNextLaunchOnly) {
    EXPECT_EQ(prepared().launchModifierFlags, 0U);
    ASSERT_TRUE(state.setShiftAtNextLaunch(true));
    EXPECT_EQ(prepared().launchModifierFlags, InputState::shiftFlag);
    EXPECT_EQ(prepared().launchModifierFlags, 0U) << "the launch that held it took the wish away";

    ASSERT_TRUE(state.setShiftAtNextLaunch(true));
    ASSERT_TRUE(state.setShiftAtNextLaunch(false));
    EXPECT_EQ(prepared().launchModifierFlags, 0U) << "taken back before the launch";
}

TEST_F(DesktopStateFolderTest, ShiftAddsToTheModifiersTheScenarioHolds) {
    ASSERT_TRUE(state.setShiftAtNextLaunch(true));
    Scenario scenario;
    scenario.launchModifierFlags = InputState::optionFlag;
    ASSERT_TRUE(state.prepare(scenario));
    EXPECT_EQ(scenario.launchModifierFlags, InputState::optionFlag | InputState::shiftFlag);
}

TEST_F(DesktopStateFolderTest, SavingTheGrantsKeepsTheWishAndTheWishKeepsTheGrants) {
    Scenario scenario = prepared();
    scenario.accessibilityTrusted = false;
    const platform::SimulatedPlatform platform(scenario);
    platform.desktop()->setMenuBarContainerGranted(true);

    ASSERT_TRUE(state.setShiftAtNextLaunch(true));
    // A relaunch saves the grants just before the new process starts.
    ASSERT_TRUE(state.save(platform));
    const Scenario next = prepared();
    EXPECT_EQ(next.launchModifierFlags, InputState::shiftFlag);
    EXPECT_FALSE(next.accessibilityTrusted);
    EXPECT_TRUE(next.home.menuBarContainerGranted);
    const Scenario after = prepared();
    EXPECT_FALSE(after.accessibilityTrusted) << "taking the wish away kept the grants";
    EXPECT_TRUE(after.home.menuBarContainerGranted);
}

TEST_F(DesktopStateFolderTest, TheLoginItemSurvivesANewDesktopOverTheSameFolder) {
    using Status = platform::LoginItemService::Status;
    const auto relaunched = [&](const auto& change) {
        const platform::SimulatedPlatform before(prepared());
        change(*before.loginItemService());
        EXPECT_TRUE(state.save(before));
        const platform::SimulatedPlatform after(prepared());
        return after.loginItemService()->mainAppStatus();
    };
    EXPECT_EQ(relaunched([](auto& service) { EXPECT_EQ(service.registerMainApp(), std::nullopt); }),
              Status::enabled);
    EXPECT_EQ(relaunched([](auto&) {}), Status::enabled) << "kept over a launch that left it alone";
    EXPECT_EQ(relaunched([](auto& service) { EXPECT_EQ(service.unregisterMainApp(), std::nullopt); }),
              Status::notRegistered);
    EXPECT_EQ(relaunched([](auto& service) {
                  service.setRequiresApproval(true);
                  EXPECT_EQ(service.registerMainApp(), std::nullopt);
              }),
              Status::requiresApproval);

    // A value no status has, or one of another type, leaves the scenario's own.
    for (const auto& odd : {platform::PropertyListValue::integer(9), platform::PropertyListValue::integer(-1),
                            platform::PropertyListValue("enabled")}) {
        ASSERT_TRUE(platform::PropertyListFile::write(state.settingsFile(),
                                                      {{demo::DesktopStateFolder::loginItemKey, odd}}));
        Scenario scenario;
        scenario.loginItem.status = Status::notFound;
        ASSERT_TRUE(state.prepare(scenario));
        EXPECT_EQ(scenario.loginItem.status, Status::notFound);
    }
}

TEST(DesktopReportTest, TellsTheBarTheRestrictionTheMenusAndTheHotKeys) {
    pellacor::testing::offscreenApplication();
    const auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::DesktopView view(platform);
    view.resize(view.sizeHint());
    view.refresh();

    const auto lines = [&] {
        std::vector<std::string> found;
        std::istringstream text(demo::DesktopReport::of(*platform, view));
        for (std::string line; std::getline(text, line);) {
            found.push_back(line);
        }
        return found;
    };
    auto report = lines();
    ASSERT_EQ(report.size(), 5U);
    const auto placed = platform->desktop()->menuBarItems();
    ASSERT_FALSE(placed.empty());
    // The first item, at the centre of the rectangle the view draws it in.
    const QPoint centre = view.mapToGlobal(view.itemRects().front().center().toPoint());
    const std::string first = *placed.front().ownerBundleIdentifier + "@" + std::to_string(centre.x()) + "," +
                              std::to_string(centre.y());
    EXPECT_EQ(report[0].rfind("desktop bar: " + first + " ", 0), 0U) << report[0];
    EXPECT_EQ(report[1], "desktop restriction: none");
    EXPECT_EQ(report[2], "desktop menus: none");
    EXPECT_EQ(report[3].rfind("desktop controls: ", 0), 0U) << report[3];
    EXPECT_EQ(report[4], "desktop hot keys: 0");

    platform->desktop()->setRestriction(
        platform::MenuBarRestriction{{1}, {"com.example.b", "com.example.a"}});
    EXPECT_EQ(lines()[1], "desktop restriction: com.example.a,com.example.b");
    platform->desktop()->setRestriction(platform::MenuBarRestriction{{1}, {}});
    EXPECT_EQ(lines()[1], "desktop restriction: (system items only)");

    // A menu counts once the view draws it.
    platform->desktop()->setRestriction(std::nullopt);
    auto clock = std::make_shared<std::chrono::nanoseconds>(std::chrono::seconds(1));
    platform->desktop()->setClock([clock] { return *clock; });
    std::optional<std::string> owner;
    for (const auto& app : platform->desktop()->runningApplications()) {
        if (app.bundleIdentifier && !app.statusItems.empty() &&
            platform->desktop()->pressItem(app.processIdentifier, 0)) {
            owner = app.bundleIdentifier;
            break;
        }
    }
    ASSERT_TRUE(owner.has_value()) << "no item of the default desktop opens a menu";
    view.refresh();
    EXPECT_EQ(lines()[2], "desktop menus: none") << "not open yet";
    *clock += std::chrono::seconds(1);
    platform->desktop()->passTime();
    view.refresh();
    const auto& drawn = view.drawnWindows();
    const auto menu = std::find_if(drawn.begin(), drawn.end(), [](const auto& window) {
        return window.layer == platform::SimulatedDesktop::menuLayer;
    });
    ASSERT_NE(menu, drawn.end());
    const QPoint at = view.globalPosition({menu->bounds.midX(), menu->bounds.midY()});
    const std::uint32_t number = menu->number;
    const auto since = view.drawnSince(number);
    ASSERT_TRUE(since.has_value());
    EXPECT_NEAR(static_cast<double>(*since), static_cast<double>(QDateTime::currentMSecsSinceEpoch()), 5000);
    view.refresh();
    EXPECT_EQ(view.drawnSince(number), since) << "since it was first drawn, not since the last refresh";
    EXPECT_EQ(lines()[2], "desktop menus: " + *owner + "@" + std::to_string(at.x()) + "," +
                              std::to_string(at.y()) + ":" + std::to_string(*since));
}

TEST_F(DesktopStateFolderTest, AFolderThatCannotBeMadeIsNamedWithTheSystemsReason) {
    {
        std::ofstream blocker(folder.path() / "home");
        blocker << "a file where the home folder goes";
    }
    Scenario scenario;
    std::string problem;
    EXPECT_FALSE(state.prepare(scenario, &problem));
    const std::string prefix = "cannot make the folder " + (folder.path() / "home").string() + ": ";
    ASSERT_EQ(problem.rfind(prefix, 0), 0U) << problem;
    EXPECT_GT(problem.size(), prefix.size()) << "the reason follows";
}

} // namespace PELLACOR_TEST_FILE
