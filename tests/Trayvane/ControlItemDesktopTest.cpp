#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "DemoDesktop/SyntheticClick.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "ProgramOnDesktop.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/Theme/AppFont.h"

#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;
using coordinator::PauseReason;
using core::MenuBarState;

namespace {

// The control item on the default demo desktop, shown in the desktop view;
// its menu placed on the real screen through the view, as the program places
// it, and recorded instead of run.
struct ControlItemDesktopTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    demo::DesktopView view{platform};
    std::vector<bool> toggles;
    std::vector<QPoint> menusAt;
    std::vector<QFont> menuFonts;
    ControlItem item{platform->statusBar(), platform->input(), [this](QMenu& menu, const core::Rect& frame) {
                         const auto first = platform->desktop()->screens().front().frame.standardized();
                         const auto topDown = core::convertScreenSpace(frame, first);
                         menusAt.push_back(view.globalPosition({topDown.minX(), topDown.maxY()}));
                         menuFonts.push_back(menu.font());
                     }};

    ControlItemDesktopTest() {
        view.resize(view.sizeHint());
        item.onToggle = [this](bool all) { toggles.push_back(all); };
        item.show(MenuBarState::collapsed, std::nullopt);
        QCoreApplication::processEvents();
    }

    QRectF controlRect() const { return pellacor::testing::controlItemRect(view); }
    void press(Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
        demo::sendClick(view, controlRect().center(), button, modifiers);
    }
    QImage drawnIcon() {
        QCoreApplication::processEvents();
        return view.grab(controlRect().toAlignedRect()).toImage();
    }
};

TEST_F(ControlItemDesktopTest, StandsOnTheBarWhereItsButtonWindowSays) {
    const QRectF rect = controlRect();
    ASSERT_FALSE(rect.isEmpty());
    const auto first = platform->desktop()->screens().front().frame.standardized();
    const auto topDown = core::convertScreenSpace(item.statusItem()->buttonWindow()->frame, first);
    EXPECT_EQ(rect, QRectF(topDown.minX(), topDown.minY(), topDown.width(), topDown.height()));
    EXPECT_EQ(rect.height(), platform->statusBar()->thickness()) << "a square item";
    EXPECT_EQ(rect.width(), rect.height());
    EXPECT_GT(rect.left(), view.width() / 2.0) << "on the right-hand side of the bar";
    EXPECT_EQ(item.isShownInMenuBar(), true);
}

TEST_F(ControlItemDesktopTest, ClicksToggleOrOpenTheMenuAtTheItem) {
    press(Qt::LeftButton);
    press(Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(toggles, (std::vector<bool>{false, true}));
    press(Qt::RightButton);
    ASSERT_EQ(menusAt.size(), 1U);
    const QRectF rect = controlRect();
    EXPECT_EQ(menusAt[0], view.mapToGlobal(QPointF(rect.left(), rect.bottom()).toPoint()))
        << "the menu opens below the item";
    EXPECT_EQ(menuFonts[0], AppFont::nsBody());
    // Control (Meta on this keyboard) opens the menu, too, and never toggles.
    press(Qt::LeftButton, Qt::MetaModifier);
    EXPECT_EQ(menusAt.size(), 2U);
    EXPECT_EQ(toggles.size(), 2U);
}

TEST_F(ControlItemDesktopTest, IconFollowsTheStateAndIsDrawnInTheBarsTextColour) {
    const QImage collapsed = drawnIcon();
    item.show(MenuBarState::revealed, std::nullopt);
    const QImage revealed = drawnIcon();
    item.show(MenuBarState::paused, PauseReason::manual());
    const QImage paused = drawnIcon();
    EXPECT_NE(collapsed, revealed);
    EXPECT_NE(revealed, paused);
    EXPECT_NE(collapsed, paused);

    // The revealed icon is a disc: its left edge at mid height is solid, in the
    // bar's text colour, dark on the light bar and light on the dark one.
    item.show(MenuBarState::revealed, std::nullopt);
    const QRectF rect = controlRect();
    const QPoint disc(static_cast<int>(rect.width() / 2 - 7.5), static_cast<int>(rect.height() / 2));
    const QColor light = drawnIcon().pixelColor(disc);
    view.setDarkAppearance(true);
    const QColor dark = drawnIcon().pixelColor(disc);
    EXPECT_LT(light.lightness(), 60) << "drawn dark on the light bar";
    EXPECT_GT(dark.lightness(), 200) << "drawn light on the dark bar";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
