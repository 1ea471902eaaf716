#include "Trayvane/StatusItem/ControlItem.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Platform/Simulated/SimulatedProgramStatusItem.h"
#include "Support/LogCapture.h"
#include "Trayvane/StatusItem/SymbolImage.h"
#include "Trayvane/Theme/BroomIcon.h"
#include "Trayvane/Theme/TemplateImage.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using coordinator::PauseReason;
using core::MenuBarState;
using platform::StatusItem;

namespace {

// The alpha of an image at a point given in its points, y up (as the icon is described).
int alphaAt(const platform::StatusItemImage& image, QPointF point) {
    const QImage pixels = TemplateImage::toImage(image);
    const int x = static_cast<int>(point.x() * image.scale);
    const int y = static_cast<int>((BroomIcon::size - point.y()) * image.scale);
    return pixels.pixelColor(x, y).alpha();
}

// Points of the design space, away from every edge: inside the handle, the
// ferrule, the bristles above and below the band, and on the band across the
// bristles; and outside every shape.
const QPointF handle(9.0, 14.0);
const QPointF ferrule(9.0, 8.65);
const QPointF bristlesAbove(9.0, 6.6);
const QPointF bristlesBelow(9.0, 2.4);
const QPointF band(9.0, 4.5);

TEST(BroomIconTest, PlainBroomIsFilledWithAClearStripeAcrossTheBristles) {
    pellacor::testing::offscreenApplication();
    const auto image = BroomIcon::image(false);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->isTemplate);
    EXPECT_EQ(image->width, 36);
    EXPECT_EQ(image->height, 36);
    EXPECT_EQ(image->scale, 2);
    const QTransform map = BroomIcon::designToTarget(QRectF(0.5, 0.5, 17, 17));
    for (const QPointF p : {handle, ferrule, bristlesAbove, bristlesBelow}) {
        EXPECT_EQ(alphaAt(*image, map.map(p)), 255) << p.x() << "," << p.y();
    }
    EXPECT_EQ(alphaAt(*image, map.map(band)), 0) << "the band is cleared out of the bristles";
    // The band reaches no further than the bristles.
    EXPECT_EQ(alphaAt(*image, map.map(QPointF(1.0, 4.5))), 0);
    // The broom leans: the rotated handle's top is right of the bristles' bottom
    // in y-up space turned clockwise, and the corners stay clear.
    EXPECT_GT(map.map(QPointF(9.0, 18.0)).x(), map.map(QPointF(9.0, 0.6)).x());
    for (const QPointF corner : {QPointF(0.3, 0.3), QPointF(17.7, 17.7)}) {
        EXPECT_EQ(alphaAt(*image, corner), 0);
    }
}

TEST(BroomIconTest, CircledBroomIsCutOutOfADiscWithTheStripeFilled) {
    pellacor::testing::offscreenApplication();
    const auto image = BroomIcon::image(true);
    ASSERT_TRUE(image);
    const QTransform map = BroomIcon::designToTarget(QRectF(3.6, 3.6, 10.8, 10.8));
    for (const QPointF p : {handle, ferrule, bristlesAbove, bristlesBelow}) {
        EXPECT_EQ(alphaAt(*image, map.map(p)), 0) << p.x() << "," << p.y() << " is cut out";
    }
    // The stripe is barely more than a pixel wide here: filled, antialiased.
    EXPECT_GT(alphaAt(*image, map.map(band)), 150) << "the stripe is filled inside the cut-out";
    EXPECT_EQ(alphaAt(*image, QPointF(2.5, 9.0)), 255) << "the disc around the broom";
    EXPECT_EQ(alphaAt(*image, QPointF(0.5, 0.5)), 0) << "outside the disc";
}

TEST(BroomIconTest, FitUsesTheSmallerRatioAndCentresTheBroom) {
    // A wide target: the height decides and the broom sits in the middle.
    const QTransform map = BroomIcon::designToTarget(QRectF(0, 0, 100, 10));
    const auto shapes = BroomIcon::designShapes();
    const QRectF fitted = map.map(shapes.handle).boundingRect() | map.map(shapes.ferrule).boundingRect() |
                          map.map(shapes.bristles).boundingRect();
    EXPECT_NEAR(fitted.height(), 10, 1e-9);
    EXPECT_NEAR(fitted.center().x(), 50, 1e-9);
    EXPECT_NEAR(fitted.center().y(), 5, 1e-9);
}

TEST(SymbolImageTest, EverySymbolTheStatesNeedDraws) {
    pellacor::testing::offscreenApplication();
    for (const char* name : {"exclamationmark.triangle", "pause.circle", "video.circle"}) {
        SCOPED_TRACE(name);
        const auto image = SymbolImage::named(name);
        ASSERT_TRUE(image);
        EXPECT_TRUE(image->isTemplate);
        EXPECT_TRUE(image->isWellFormed());
        const QImage pixels = TemplateImage::toImage(*image);
        int opaque = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                const QColor c = pixels.pixelColor(x, y);
                opaque += c.alpha() > 200 ? 1 : 0;
                if (c.alpha() > 0) {
                    EXPECT_EQ(c.red() + c.green() + c.blue(), 0) << "template pixels are black";
                }
            }
        }
        EXPECT_GT(opaque, 40);
    }
    EXPECT_FALSE(SymbolImage::named("no.such.symbol"));
}

// The control item over the simulated status bar, its menu run by the test.
struct ControlItemTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    pellacor::testing::LogCapture log;
    std::vector<std::string> calls;
    std::vector<std::vector<std::string>> shownMenus;
    std::vector<core::Rect> menuFrames;
    // The title of the entry to choose while the menu is open, if any.
    std::string chooseWhileOpen;
    std::unique_ptr<ControlItem> item;

    ControlItemTest() {
        item = std::make_unique<ControlItem>(
            platform->statusBar(), platform->input(),
            [this](QMenu& menu, const core::Rect& frame) {
                std::vector<std::string> titles;
                for (QAction* action : menu.actions()) {
                    titles.push_back(action->isSeparator() ? "---" : action->text().toStdString());
                    if (!chooseWhileOpen.empty() && action->text().toStdString() == chooseWhileOpen) {
                        action->trigger();
                    }
                }
                shownMenus.push_back(titles);
                menuFrames.push_back(frame);
            },
            platform->programWindows());
        item->onToggle = [this](bool all) { calls.push_back(all ? "toggle(all)" : "toggle"); };
        item->onPause = [this] { calls.push_back("pause"); };
        item->onResume = [this] { calls.push_back("resume"); };
        item->onOpenPermissionGuide = [this] { calls.push_back("guide"); };
        item->onOpenSettings = [this] { calls.push_back("settings"); };
        item->onOpenHelp = [this](std::optional<HelpTopic> topic) {
            calls.push_back("help(" + std::string(topic ? rawValue(*topic) : "nil") + ")");
        };
        item->onSwitchProfile = [this](core::Uuid id) { calls.push_back("profile " + id.uuidString()); };
        item->terminate = [this] { calls.push_back("quit"); };
    }

    void click(StatusItem::ClickEvent::Kind kind, std::uint64_t flags = 0) {
        item->buttonPressed({{kind, flags}});
    }
};

TEST_F(ControlItemTest, CreationMarksTheButtonAndShowsStarting) {
    const auto& button = *item->statusItem();
    EXPECT_EQ(button.accessibilityIdentifier(), "trv-control");
    EXPECT_EQ(button.accessibilityLabel(), "Pellacor");
    EXPECT_EQ(button.length(), StatusItem::squareLength);
    EXPECT_EQ(button.toolTip(), "Pellacor：起動しています");
    EXPECT_EQ(button.image(), BroomIcon::image(false));
    EXPECT_EQ(item->menu().font().pixelSize(), 15);
    ASSERT_EQ(log.matching("操作口を置きました").size(), 1U);
    EXPECT_EQ(log.matching("操作口を置きました")[0].level, core::LogLevel::info);
}

TEST(ControlItemWithoutButtonTest, LogsTheMissingWindowAndTellsNothing) {
    pellacor::testing::offscreenApplication();
    pellacor::testing::LogCapture log;
    ControlItem item(nullptr, nullptr, [](QMenu&, const core::Rect&) {});
    item.show(MenuBarState::collapsed, std::nullopt);
    EXPECT_EQ(item.state(), MenuBarState::collapsed);
    EXPECT_EQ(item.isShownInMenuBar(), std::nullopt);
    const auto records = log.matching("操作口の窓がありません");
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0].level, core::LogLevel::error);
}

TEST_F(ControlItemTest, ShowSetsIconAndToolTipAndLeavesTheMenuAlone) {
    item->show(MenuBarState::paused, PauseReason::optionKeyAtLaunch());
    const auto& button = *item->statusItem();
    EXPECT_EQ(button.toolTip(), "Pellacor：⇧ か ⌥ を押して起動したので、一時停止中です");
    EXPECT_EQ(button.image(), SymbolImage::named("pause.circle"));
    item->show(MenuBarState::revealed, std::nullopt);
    EXPECT_EQ(button.image(), BroomIcon::image(true));
    EXPECT_EQ(button.toolTip(), "Pellacor：隠したアイコンを出しています");
    EXPECT_TRUE(shownMenus.empty());
}

TEST_F(ControlItemTest, ClicksReachTheCallbacksOrOpenTheMenu) {
    item->show(MenuBarState::collapsed, std::nullopt);
    click(StatusItem::ClickEvent::Kind::leftMouseUp);
    click(StatusItem::ClickEvent::Kind::leftMouseUp, platform::InputState::shiftFlag);
    click(StatusItem::ClickEvent::Kind::leftMouseUp, platform::InputState::controlFlag);
    EXPECT_EQ(calls, (std::vector<std::string>{"toggle", "toggle(all)"}));
    ASSERT_EQ(shownMenus.size(), 1U) << "Control-click opens the menu";
    EXPECT_EQ(log.matching("操作口のメニューを開きます").size(), 1U);

    // Shift held on the keyboard counts too.
    platform->input()->setModifierFlags(platform::InputState::shiftFlag);
    click(StatusItem::ClickEvent::Kind::leftMouseUp);
    platform->input()->setModifierFlags(0);
    EXPECT_EQ(calls.back(), "toggle(all)");

    calls.clear();
    item->show(MenuBarState::needsPermission, std::nullopt);
    click(StatusItem::ClickEvent::Kind::leftMouseUp);
    EXPECT_EQ(calls, std::vector<std::string>{"guide"});
    click(StatusItem::ClickEvent::Kind::rightMouseUp);
    ASSERT_EQ(shownMenus.size(), 2U);
    const auto& menu = shownMenus.back();
    EXPECT_EQ(menu[0], "アクセシビリティの許可を待っているので、何も隠していません");
    EXPECT_NE(std::find(menu.begin(), menu.end(), "許可の案内を開く…"), menu.end());
    EXPECT_NE(std::find(menu.begin(), menu.end(), "一時停止（再開するまで全部見せる）"), menu.end());

    item->show(MenuBarState::paused, PauseReason::manual());
    click(StatusItem::ClickEvent::Kind::leftMouseUp);
    EXPECT_EQ(shownMenus.size(), 3U) << "a plain click while paused opens the menu";
    EXPECT_EQ(calls, std::vector<std::string>{"guide"});
}

TEST_F(ControlItemTest, MenuOpensAtTheButtonAsAWindowOfTheProgramAndDetachesAfter) {
    const auto before = platform->desktop()->windows().size();
    bool highlightedWhileOpen = false;
    std::size_t windowsWhileOpen = 0;
    item = std::make_unique<ControlItem>(
        platform->statusBar(), platform->input(),
        [&](QMenu&, const core::Rect& frame) {
            menuFrames.push_back(frame);
            highlightedWhileOpen =
                dynamic_cast<platform::SimulatedProgramStatusItem&>(*item->statusItem()).isHighlighted();
            windowsWhileOpen = platform->desktop()->windows().size();
        },
        platform->programWindows());
    item->show(MenuBarState::collapsed, std::nullopt);
    click(StatusItem::ClickEvent::Kind::rightMouseUp);
    ASSERT_EQ(menuFrames.size(), 1U);
    EXPECT_EQ(menuFrames[0], item->statusItem()->buttonWindow()->frame);
    EXPECT_TRUE(highlightedWhileOpen);
    EXPECT_EQ(windowsWhileOpen, before + 1) << "the open menu is a window of the program";
    EXPECT_EQ(platform->desktop()->windows().size(), before) << "closed with the menu";
    // Detached again: the next plain click on the bar reaches the action and toggles.
    std::vector<std::string> toggles;
    item->onToggle = [&](bool) { toggles.push_back("toggle"); };
    dynamic_cast<platform::SimulatedProgramStatusItem&>(*item->statusItem()).click({});
    EXPECT_EQ(toggles.size(), 1U);
}

TEST_F(ControlItemTest, MenuIsRebuiltOnEveryOpening) {
    item->show(MenuBarState::collapsed, std::nullopt);
    bool checking = false;
    item->isCheckingForUpdate = [&] { return checking; };
    click(StatusItem::ClickEvent::Kind::rightMouseUp);
    checking = true;
    item->show(MenuBarState::revealed, std::nullopt);
    click(StatusItem::ClickEvent::Kind::rightMouseUp);
    ASSERT_EQ(shownMenus.size(), 2U);
    EXPECT_EQ(shownMenus[0][0], "全部出す（しばらくすると自動でしまう）");
    EXPECT_EQ(shownMenus[1][0], "一時停止（再開するまで全部見せる）");
    const auto& second = shownMenus[1];
    EXPECT_NE(std::find(second.begin(), second.end(), "アップデートを確認中…"), second.end());
    const auto actions = item->menu().actions();
    const auto update = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
        return a->text() == QStringLiteral("アップデートを確認中…");
    });
    ASSERT_NE(update, actions.end());
    EXPECT_FALSE((*update)->isEnabled());
}

TEST_F(ControlItemTest, ChosenEntriesCallTheirCallbacks) {
    const auto work = core::Uuid::random();
    item->profileChoices = [&] { return std::vector<ProfileChoice>{{work, "仕事", true}}; };
    item->hotkeyNote = "note";
    item->show(MenuBarState::paused, PauseReason::osVersionChanged());
    for (const char* title :
         {"再開", "設定…", "Pellacor のヘルプ", "Pellacor を終了",
          "macOS が新しくなったので、念のため一時停止中です。下の「再開」を選んでください", "note"}) {
        chooseWhileOpen = title;
        click(StatusItem::ClickEvent::Kind::rightMouseUp);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"resume", "settings", "help(nil)", "quit", "help(osUpdated)",
                                               "help(hotkeys)"}));
    EXPECT_EQ(log.matching("「設定…」が押されました").size(), 1U);

    // The profile submenu's entry carries the id.
    calls.clear();
    const auto entries = item->menuModel();
    const auto parent =
        std::find_if(entries.begin(), entries.end(), [](const auto& e) { return !e.submenu.empty(); });
    ASSERT_NE(parent, entries.end());
    item->choose(parent->submenu[0]);
    EXPECT_EQ(calls, std::vector<std::string>{"profile " + work.uuidString()});
}

TEST_F(ControlItemTest, RevealAllDoesNothingOnceTheStateLeftCollapsed) {
    item->show(MenuBarState::collapsed, std::nullopt);
    const auto entries = item->menuModel();
    ASSERT_EQ(entries[0].action, ControlAction::revealAll);
    item->choose(entries[0]);
    item->show(MenuBarState::revealed, std::nullopt);
    item->choose(entries[0]);
    EXPECT_EQ(calls, std::vector<std::string>{"toggle(all)"});
}

TEST_F(ControlItemTest, UnsetCallbacksDoNothing) {
    ControlItem bare(platform->statusBar(), platform->input(), [](QMenu&, const core::Rect&) {});
    bare.show(MenuBarState::collapsed, std::nullopt);
    bare.terminate = nullptr;
    for (const auto& entry : bare.menuModel()) {
        bare.choose(entry);
    }
    bare.buttonPressed({{StatusItem::ClickEvent::Kind::leftMouseUp, 0}});
    SUCCEED();
}

TEST_F(ControlItemTest, EntriesNobodyActsOnShowDisabledButKeepTheirText) {
    ControlItem bare(platform->statusBar(), platform->input(), [](QMenu&, const core::Rect&) {});
    bare.onPause = [] {};
    bare.show(MenuBarState::paused, PauseReason::osVersionChanged());
    const auto titles = [](const std::vector<ControlMenuEntry>& entries, bool enabled) {
        std::vector<std::string> found;
        for (const auto& entry : entries) {
            if (!entry.isSeparator && entry.isEnabled() == enabled) {
                found.push_back(entry.title);
            }
        }
        return found;
    };
    const auto entries = bare.menuModel();
    // Only quitting (the application's own unless replaced) is handled: the
    // notice, resume, settings and the help entries are greyed.
    EXPECT_EQ(titles(entries, true), std::vector<std::string>{"Pellacor を終了"});
    const auto disabled = titles(entries, false);
    for (const char* title :
         {"macOS が新しくなったので、念のため一時停止中です。下の「再開」を選んでください", "再開", "設定…",
          "Pellacor のヘルプ"}) {
        EXPECT_NE(std::find(disabled.begin(), disabled.end(), title), disabled.end()) << title;
    }

    bare.onResume = [] {};
    bare.onOpenHelp = [](std::optional<HelpTopic>) {};
    const auto wired = titles(bare.menuModel(), true);
    for (const char* title :
         {"macOS が新しくなったので、念のため一時停止中です。下の「再開」を選んでください", "再開",
          "Pellacor のヘルプ"}) {
        EXPECT_NE(std::find(wired.begin(), wired.end(), title), wired.end()) << title;
    }
}

TEST_F(ControlItemTest, IsShownInMenuBarFromTheReplicaCount) {
    // On the bar from the start: one replica.
    EXPECT_EQ(item->isShownInMenuBar(), true);
    EXPECT_EQ(item->isShownInMenuBar(), true);
    auto lines = log.matching("メニューバーの写しの窓");
    ASSERT_EQ(lines.size(), 1U) << "logged only when the count changes";
    EXPECT_EQ(lines[0].message, "メニューバーの写しの窓：1 個");
    EXPECT_EQ(lines[0].level, core::LogLevel::defaultLevel);
    item->statusItem()->setVisible(false);
    EXPECT_EQ(item->isShownInMenuBar(), false) << "seen once, so gone now";
    EXPECT_EQ(log.matching("メニューバーの写しの窓").back().message, "メニューバーの写しの窓：0 個");

    // Never seen: nothing can be told.
    ControlItem hidden(platform->statusBar(), platform->input(), [](QMenu&, const core::Rect&) {});
    hidden.statusItem()->setVisible(false);
    EXPECT_EQ(hidden.isShownInMenuBar(), std::nullopt);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
