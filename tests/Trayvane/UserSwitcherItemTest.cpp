#include "Trayvane/StatusItem/UserSwitcherItem.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/PropertyListFile.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedProgramStatusItem.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Trayvane/StatusItem/SymbolImage.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using platform::PropertyListValue;
using platform::StatusItem;

namespace {

const std::string positionKey(UserSwitcherItem::positionKey);

// One entry of an open menu: its title and whether it can be chosen.
struct Entry {
    std::string title;
    bool enabled = true;
    bool operator==(const Entry&) const = default;
};

// The stand-in on the default demo desktop with a home folder, its look and
// the real item's position set by the test, its fallback menu run by the test.
struct UserSwitcherItemTest : ::testing::Test {
    pellacor::testing::TempDir home;
    std::shared_ptr<platform::SimulatedPlatform> platform = [this] {
        pellacor::testing::offscreenApplication();
        auto scenario = platform::Scenario::defaultScenario();
        scenario.home.folder = home.path();
        return std::make_shared<platform::SimulatedPlatform>(scenario);
    }();
    const std::string domain =
        platform::SimulatedStatusBar::domainFile(home.path(), std::string(core::bundleIdentifier)).string();
    pellacor::testing::LogCapture log;
    UserSwitcherLook wanted = UserSwitcherLook::fullName;
    std::optional<double> realPosition;
    // Whether the stand-in stood on the bar each time the real position was asked.
    std::vector<bool> askedWithItemOnBar;
    std::vector<std::string> calls;
    std::vector<std::vector<Entry>> menus;
    // Runs while the fallback menu is open, as the user would meanwhile.
    std::function<void(QMenu&)> whileOpen;
    std::unique_ptr<UserSwitcherItem> item = std::make_unique<UserSwitcherItem>(
        UserSwitcherItem::Defaults{platform->preferencesDomain(), domain}, [this] { return wanted; },
        [this] {
            askedWithItemOnBar.push_back(standInOnBar().has_value());
            return realPosition;
        },
        platform->statusBar(), platform->userAccount(),
        [this](QMenu& menu, const core::Rect&) {
            std::vector<Entry> entries;
            for (QAction* action : menu.actions()) {
                entries.push_back({action->text().toStdString(), action->isEnabled()});
            }
            menus.push_back(entries);
            if (whileOpen) {
                whileOpen(menu);
            }
        },
        platform->programWindows());

    UserSwitcherItemTest() {
        item->onPress = [this] { calls.emplace_back("press"); };
        item->onSwitchUser = [this] { calls.emplace_back("switch user"); };
    }

    // The stand-in as the simulated bar places it.
    std::optional<platform::PlacedStatusItem> standInOnBar() const {
        for (const auto& placed : platform->desktop()->menuBarItems()) {
            if (placed.item.identifier == std::string(UserSwitcherItem::identifier)) {
                return placed;
            }
        }
        return std::nullopt;
    }
    platform::SimulatedProgramStatusItem& button() const {
        return dynamic_cast<platform::SimulatedProgramStatusItem&>(*item->statusItem());
    }
    std::optional<PropertyListValue> storedPosition() const {
        return platform->preferencesDomain()->copyValue(positionKey, domain);
    }
};

} // namespace

TEST_F(UserSwitcherItemTest, ShowingTwiceMakesOneItemMarkedAsTheStandIn) {
    item->setShown(true);
    const auto first = item->statusItem();
    ASSERT_TRUE(first);
    item->setShown(true);
    EXPECT_EQ(item->statusItem(), first) << "the second show changes nothing";

    std::size_t standIns = 0;
    for (const auto& placed : platform->desktop()->menuBarItems()) {
        standIns += placed.item.identifier == std::string(UserSwitcherItem::identifier) ? 1 : 0;
    }
    EXPECT_EQ(standIns, 1U);
    EXPECT_EQ(first->length(), StatusItem::variableLength);
    EXPECT_EQ(first->autosaveName(), "UserSwitcherStandIn");
    EXPECT_EQ(first->accessibilityIdentifier(), "trv-user-switcher");
    EXPECT_EQ(first->accessibilityLabel(), "ユーザを切り替える");
    EXPECT_EQ(first->toolTip(), "ユーザを切り替える（しまっている間の代わりのアイコン）");
    EXPECT_TRUE(first->isVisible());
    const auto placedLines = log.matching("利用者の切り替えの代わりのアイコンを置きました");
    ASSERT_EQ(placedLines.size(), 1U);
    EXPECT_EQ(placedLines[0].level, core::LogLevel::info);
    EXPECT_EQ(placedLines[0].message, "利用者の切り替えの代わりのアイコンを置きました（窓 " +
                                          std::to_string(first->buttonWindow()->number) + "）");
}

TEST_F(UserSwitcherItemTest, ThePositionSeedIsStoredOnceBeforeTheFirstItemComes) {
    // Where the real item sat: right of every application's item.
    realPosition = -1;
    item->setShown(true);
    EXPECT_EQ(askedWithItemOnBar, std::vector<bool>{false}) << "asked before the item was made";
    EXPECT_EQ(storedPosition(), PropertyListValue::real(-1));
    EXPECT_EQ(platform::PropertyListFile::read(domain).dictionary.at(positionKey),
              PropertyListValue::real(-1))
        << "kept in the program's preferences file";
    const auto standIn = standInOnBar();
    ASSERT_TRUE(standIn);
    for (const auto& placed : platform->desktop()->menuBarItems()) {
        if (placed.item.kind == platform::SimulatedStatusItem::Kind::standard &&
            placed.item.identifier != standIn->item.identifier) {
            EXPECT_LT(placed.frame.minX(), standIn->frame.minX()) << "placed where the seed says";
        }
    }

    item->setShown(false);
    EXPECT_FALSE(standInOnBar());
    realPosition = 7;
    item->setShown(true);
    EXPECT_EQ(askedWithItemOnBar.size(), 1U) << "a position is kept: the real one is not asked again";
    EXPECT_EQ(storedPosition(), PropertyListValue::real(-1));
}

TEST_F(UserSwitcherItemTest, NoSeedWithoutAKnownRealPositionAndNeverOverAKeptOne) {
    item->setShown(true);
    EXPECT_FALSE(storedPosition()) << "the real position is not known";
    item->setShown(false);

    // A position the system keeps, of whatever type, is never replaced.
    platform->preferencesDomain()->setValue(positionKey, PropertyListValue::integer(12), domain);
    realPosition = 3;
    item->setShown(true);
    EXPECT_EQ(askedWithItemOnBar.size(), 1U);
    EXPECT_EQ(storedPosition(), PropertyListValue::integer(12));
}

TEST_F(UserSwitcherItemTest, EachLookPaintsTheButton) {
    const auto icon = UserSwitcherItem::iconImage(SymbolImage::named);
    ASSERT_TRUE(icon);
    const struct {
        UserSwitcherLook look;
        std::string title;
        std::optional<platform::StatusItemImage> image;
    } cases[] = {
        {UserSwitcherLook::fullName, "Aoi Kisaragi", std::nullopt},
        {UserSwitcherLook::accountName, "aoi", std::nullopt},
        {UserSwitcherLook::icon, "", icon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.look.name());
        wanted = c.look;
        item->setShown(true);
        EXPECT_EQ(item->statusItem()->title(), c.title);
        EXPECT_EQ(item->statusItem()->image(), c.image);
        EXPECT_EQ(item->shownLook(), c.look);
        item->setShown(false);
        EXPECT_EQ(item->shownLook(), std::nullopt) << "no look while no item exists";
    }
    EXPECT_TRUE(icon->isTemplate);
    EXPECT_EQ(icon, SymbolImage::named("person.crop.circle.dashed"));
}

TEST(UserSwitcherIconTest, FallsBackToThePlainerSymbolThenToNoImage) {
    pellacor::testing::offscreenApplication();
    const auto plain = SymbolImage::named("person.crop.circle");
    ASSERT_TRUE(plain);
    const UserSwitcherItem::SymbolSource withoutDashed = [](std::string_view name) {
        return name == "person.crop.circle.dashed" ? std::nullopt : SymbolImage::named(name);
    };
    EXPECT_EQ(UserSwitcherItem::iconImage(withoutDashed), plain);
    EXPECT_EQ(UserSwitcherItem::iconImage([](std::string_view) { return std::nullopt; }), std::nullopt);
}

TEST_F(UserSwitcherItemTest, RefreshLookRepaintsOnlyAChangedLook) {
    item->refreshLook();
    EXPECT_FALSE(item->statusItem()) << "nothing without an item";

    item->setShown(true);
    // A title the paint would overwrite shows whether it painted again.
    item->statusItem()->setTitle("untouched");
    item->refreshLook();
    EXPECT_EQ(item->statusItem()->title(), "untouched");
    EXPECT_TRUE(log.matching("見た目を決め直しました").empty());

    wanted = UserSwitcherLook::icon;
    item->refreshLook();
    EXPECT_EQ(item->statusItem()->title(), "");
    EXPECT_TRUE(item->statusItem()->image());
    wanted = UserSwitcherLook::accountName;
    item->refreshLook();
    EXPECT_EQ(item->statusItem()->title(), "aoi");
    const auto lines = log.matching("見た目を決め直しました");
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0].message, "利用者の切り替えの代わりのアイコンの見た目を決め直しました（人の形）");
    EXPECT_EQ(lines[1].message, "利用者の切り替えの代わりのアイコンの見た目を決め直しました（名前）");
    EXPECT_EQ(lines[1].level, core::LogLevel::info);
}

TEST_F(UserSwitcherItemTest, EveryClickIsReportedAsAPress) {
    item->setShown(true);
    button().click({StatusItem::ClickEvent::Kind::leftMouseUp, 0});
    button().click({StatusItem::ClickEvent::Kind::rightMouseUp, platform::InputState::optionFlag});
    EXPECT_EQ(calls, (std::vector<std::string>{"press", "press"}));
    EXPECT_EQ(log.matching("利用者の切り替えの代わりのアイコンが押されました").size(), 2U);

    // A press on the bar reaches it too.
    const auto self = platform->desktop()->runningApplication(std::string(core::bundleIdentifier));
    ASSERT_TRUE(self);
    platform->desktop()->pressItem(self->processIdentifier, 0);
    EXPECT_EQ(calls.size(), 3U);

    item->setShown(false);
    EXPECT_FALSE(standInOnBar());
    EXPECT_FALSE(item->statusItem());
}

TEST_F(UserSwitcherItemTest, TheFallbackMenuOffersTheSwitchOnlyWhenSwitchingIsAvailable) {
    item->showFallbackMenu();
    EXPECT_TRUE(menus.empty()) << "no menu without an item";
    EXPECT_TRUE(log.matching("予備のメニュー").empty());

    item->setShown(true);
    item->showFallbackMenu();
    ASSERT_EQ(menus.size(), 1U);
    EXPECT_EQ(menus[0], (std::vector<Entry>{{"利用者の切り替えのメニューを開けませんでした", false}}));
    EXPECT_EQ(log.matching("利用者の切り替えの代わりのアイコンで、予備のメニューを開きます").size(), 1U);

    item->userSwitchAvailable = true;
    whileOpen = [](QMenu& menu) { menu.actions().at(1)->trigger(); };
    item->showFallbackMenu();
    ASSERT_EQ(menus.size(), 2U);
    EXPECT_EQ(menus[1], (std::vector<Entry>{{"利用者の切り替えのメニューを開けませんでした", false},
                                            {"ユーザを切り替える（ファストユーザスイッチ）…", true}}))
        << "rebuilt on every opening";
    EXPECT_EQ(calls, std::vector<std::string>{"switch user"});
    EXPECT_EQ(log.matching("予備のメニューで利用者の切り替えが押されました").size(), 1U);
    EXPECT_EQ(item->fallbackMenu().font().pixelSize(), 15);
}

TEST_F(UserSwitcherItemTest, HidingWhileTheFallbackMenuIsOpenWaitsUntilItCloses) {
    item->setShown(true);
    bool keptWhileOpen = false;
    whileOpen = [&](QMenu&) {
        EXPECT_TRUE(item->isShowingFallback());
        item->setShown(false);
        keptWhileOpen = item->statusItem() != nullptr && standInOnBar().has_value();
        EXPECT_TRUE(item->removeAfterFallback());
    };
    item->showFallbackMenu();
    EXPECT_TRUE(keptWhileOpen);
    EXPECT_FALSE(item->statusItem()) << "removed once the menu closed";
    EXPECT_FALSE(standInOnBar());
    EXPECT_FALSE(item->isShowingFallback());
    EXPECT_FALSE(item->removeAfterFallback());
    EXPECT_EQ(item->shownLook(), std::nullopt);

    // Shown again while the menu is open: the pending removal is cancelled.
    item->setShown(true);
    whileOpen = [&](QMenu&) {
        item->setShown(false);
        item->setShown(true);
    };
    item->showFallbackMenu();
    EXPECT_TRUE(item->statusItem());
    EXPECT_TRUE(standInOnBar());
}

TEST_F(UserSwitcherItemTest, TheOpenFallbackMenuIsAWindowOfTheProgramAtTheButton) {
    item->setShown(true);
    const auto before = platform->desktop()->windows().size();
    std::size_t whileOpenCount = 0;
    bool highlighted = false;
    whileOpen = [&](QMenu&) {
        whileOpenCount = platform->desktop()->windows().size();
        highlighted = button().isHighlighted();
    };
    item->showFallbackMenu();
    EXPECT_EQ(whileOpenCount, before + 1);
    EXPECT_TRUE(highlighted) << "attached to the button for the click";
    EXPECT_EQ(platform->desktop()->windows().size(), before);
    EXPECT_FALSE(button().isHighlighted());
    // Detached again: the next click reaches the action.
    button().click({});
    EXPECT_EQ(calls, std::vector<std::string>{"press"});
}

} // namespace PELLACOR_TEST_FILE
