#include "Platform/Simulated/SimulatedStatusBar.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/MenuBarLayoutFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedProgramWindows.h"
#include "Support/DesktopBuilders.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>
#include <map>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::application;
using pellacor::testing::statusItem;

namespace {

const std::string self(core::bundleIdentifier);

// The program (pid 520, no items of its own yet) beside one other application's
// 40-point item, on a 1000-point screen without a housing, with a home folder.
struct SimulatedStatusBarTest : ::testing::Test {
    pellacor::testing::TempDir home;
    Scenario scenario = [this] {
        Scenario s;
        s.screens = {SimulatedScreen{core::Rect(0, 0, 1000, 800)}};
        SimulatedStatusItem other;
        other.identifier = "other";
        other.width = 40;
        s.applications = {application(self, 520, {}), application("com.example.other", 530, {other})};
        s.home.folder = home.path();
        s.home.menuBarContainerGranted = true;
        return s;
    }();
    std::unique_ptr<SimulatedPlatform> platform = std::make_unique<SimulatedPlatform>(scenario);

    std::vector<PlacedStatusItem> ownPlaced() const {
        std::vector<PlacedStatusItem> own;
        for (const auto& placed : platform->desktop()->menuBarItems()) {
            if (placed.ownerProcessIdentifier == 520) {
                own.push_back(placed);
            }
        }
        return own;
    }
};

} // namespace

TEST_F(SimulatedStatusBarTest, AnItemStandsOnTheBarAsAnItemOfTheProgramsProcess) {
    auto control = platform->statusBar()->statusItem(StatusItem::squareLength);
    ASSERT_TRUE(control);
    control->setAutosaveName("Item-0");
    control->setAccessibilityIdentifier("trv-control");
    control->setAccessibilityLabel("Pellacor");
    control->setImage(StatusItemImage{2, 2, 1, std::vector<std::uint8_t>(16, 255), true});

    auto own = ownPlaced();
    ASSERT_EQ(own.size(), 1U);
    EXPECT_EQ(own[0].ownerBundleIdentifier, self);
    EXPECT_EQ(own[0].item.identifier, std::optional<std::string>("trv-control"));
    EXPECT_EQ(own[0].item.description, std::optional<std::string>("Pellacor"));
    EXPECT_EQ(own[0].frame, core::Rect(976, 0, 24, 24))
        << "square: as wide as the bar is thick; rightmost, the program being listed first";
    ASSERT_TRUE(own[0].item.image);
    EXPECT_TRUE(own[0].item.image->isTemplate);

    const auto window = control->buttonWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->frame, core::Rect(976, 776, 24, 24)) << "in screen coordinates";
    EXPECT_EQ(control->replicaWindowCount(), 1);

    auto standIn = platform->statusBar()->statusItem(StatusItem::variableLength);
    standIn->setTitle("あいう");
    ASSERT_EQ(ownPlaced().size(), 2U);
    EXPECT_EQ(ownPlaced()[0].item.width, 3 * 7 + 8) << "a variable item fits its title";

    control->setVisible(false);
    EXPECT_EQ(ownPlaced().size(), 1U) << "hidden: off the bar";
    EXPECT_EQ(control->replicaWindowCount(), 0);
    EXPECT_LT(control->buttonWindow()->frame.maxX(), 0.1) << "kept beyond the screen's left edge";
    platform->statusBar()->removeStatusItem(standIn);
    EXPECT_TRUE(ownPlaced().empty());
}

TEST_F(SimulatedStatusBarTest, ARestrictionAndTheLayoutTableTreatItLikeAnyOtherItem) {
    auto control = platform->statusBar()->statusItem(28);
    control->setAutosaveName("Item-0");
    platform->desktop()->setRestriction(MenuBarRestriction{{}, {"com.example.other"}});
    EXPECT_TRUE(ownPlaced().empty());
    EXPECT_EQ(control->replicaWindowCount(), 0);
    platform->desktop()->setRestriction(std::nullopt);

    ASSERT_TRUE(MenuBarLayoutFile::write(MenuBarLayoutFile::location(home.path()),
                                         {{MenuBarLayoutFile::key(self, "Item-0"), 1},
                                          {MenuBarLayoutFile::key("com.example.other", "Item-0"), 2}}));
    platform->desktop()->reloadLayoutTable();
    EXPECT_EQ(ownPlaced().at(0).frame, core::Rect(972, 0, 28, 24)) << "now rightmost";
}

TEST_F(SimulatedStatusBarTest, WithoutATablePositionThePreferredPositionOfItsAutosaveNameCounts) {
    const auto domain = SimulatedStatusBar::domainFile(home.path(), self).string();
    auto& preferences = *platform->preferencesDomain();
    preferences.setValue(SimulatedStatusBar::preferredPositionKey("Item-0"), PropertyListValue::real(1),
                         domain);
    preferences.setValue("NSStatusItem Preferred Position Other", PropertyListValue::real(0), domain);
    ASSERT_TRUE(MenuBarLayoutFile::write(MenuBarLayoutFile::location(home.path()),
                                         {{MenuBarLayoutFile::key("com.example.other", "Item-0"), 5}}));
    platform->desktop()->reloadLayoutTable();

    auto control = platform->statusBar()->statusItem(28);
    control->setAutosaveName("Item-0");
    EXPECT_EQ(ownPlaced().at(0).frame, core::Rect(972, 0, 28, 24)) << "1 is right of the other's 5";
}

TEST_F(SimulatedStatusBarTest, APressReachesTheActionAsAClickUnlessAMenuIsAttached) {
    auto control = platform->statusBar()->statusItem(StatusItem::squareLength);
    std::vector<StatusItem::ClickEvent> clicks;
    control->setAction([&](const StatusItem::ClickEvent& event) { clicks.push_back(event); });

    platform->input()->setModifierFlags(InputState::shiftFlag);
    platform->desktop()->pressItem(520, 0);
    platform->input()->setModifierFlags(0);
    platform->desktop()->pressItem(520, 0, {}, InputState::rightButton);
    using Kind = StatusItem::ClickEvent::Kind;
    EXPECT_EQ(clicks, (std::vector<StatusItem::ClickEvent>{{Kind::leftMouseUp, InputState::shiftFlag},
                                                           {Kind::rightMouseUp, 0}}));
    EXPECT_TRUE(platform->desktop()->windows().empty()) << "the program draws its own menus";

    std::optional<core::Rect> shownAt;
    control->performClickWithMenu([&](const core::Rect& frame) {
        shownAt = frame;
        platform->desktop()->pressItem(520, 0);
    });
    EXPECT_EQ(shownAt, control->buttonWindow()->frame);
    EXPECT_EQ(clicks.size(), 2U) << "a click while the menu is attached belongs to the menu";
    platform->desktop()->pressItem(520, 0);
    EXPECT_EQ(clicks.size(), 3U) << "detached again afterwards";
}

TEST_F(SimulatedStatusBarTest, NoLengthButTheNamedOnesOrAPositiveOneMakesAnItem) {
    EXPECT_FALSE(platform->statusBar()->statusItem(0));
    EXPECT_FALSE(platform->statusBar()->statusItem(-3));
}

TEST_F(SimulatedStatusBarTest, TheProgramsWindowsAreWindowsOfItsProcessWhileOpen) {
    auto& windows = *platform->programWindows();
    const auto menu = windows.windowOpened(ProgramWindows::menuLayer, core::Rect(900, 24, 200, 300));
    ASSERT_TRUE(menu);
    ASSERT_EQ(platform->desktop()->windows().size(), 1U);
    EXPECT_EQ(platform->desktop()->windows()[0].ownerProcessIdentifier, 520);
    windows.windowMoved(*menu, core::Rect(800, 24, 200, 300));
    EXPECT_EQ(platform->desktop()->windows()[0].bounds, core::Rect(800, 24, 200, 300));
    windows.windowClosed(*menu);
    EXPECT_TRUE(platform->desktop()->windows().empty());
}

TEST_F(SimulatedStatusBarTest, AMenuOfTheProgramIsListedOnTheScreenItOpensOn) {
    auto& windows = *platform->programWindows();
    const auto screens = platform->desktop()->screens();
    const core::Rect first = screens.front().frame.standardized();
    const double right = first.maxX();
    // Asked for at an item near the right edge: moved left until it fits, as a real menu is.
    const auto menu = windows.windowOpened(ProgramWindows::menuLayer, core::Rect(right - 40, 24, 200, 300));
    ASSERT_TRUE(menu);
    // An ordinary window stays where the program put it.
    const auto window = windows.windowOpened(0, core::Rect(right - 40, 100, 400, 300));
    ASSERT_TRUE(window);
    std::map<std::uint32_t, core::Rect> listed;
    for (const auto& shown : platform->desktop()->windows()) {
        listed[shown.number] = shown.bounds;
    }
    EXPECT_EQ(listed[*menu], core::Rect(right - 200, 24, 200, 300));
    EXPECT_EQ(listed[*window], core::Rect(right - 40, 100, 400, 300));
    // On a second screen to the right of the first, a menu stays on that one.
    auto two = screens;
    two.push_back(SimulatedScreen{core::Rect(right, 0, 1280, 800)});
    EXPECT_EQ(SimulatedProgramWindows::keptOnScreen(core::Rect(right + 1200, 24, 200, 300), two),
              core::Rect(right + 1080, 24, 200, 300));
    EXPECT_EQ(SimulatedProgramWindows::keptOnScreen(core::Rect(right - 40, 24, 200, 300), two),
              core::Rect(right - 200, 24, 200, 300));
}

} // namespace PELLACOR_TEST_FILE
