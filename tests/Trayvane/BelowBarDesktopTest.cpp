#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "DemoDesktop/SyntheticClick.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/BelowBarList.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "ProgramOnDesktop.h"
#include "Trayvane/Panels/BelowBarCell.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Settings/AppLookup.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using core::BelowBarEntry;

namespace {

// The panel over the demo desktop, as the program shows it: the control item
// on the bar, the panel placed on the real screen through the desktop view,
// with the default desktop's applications hidden but for two shown ones.
struct BelowBarDesktopTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    demo::DesktopView view{platform};
    app::ControlItem item{platform->statusBar(), platform->input()};
    concurrency::ManualExecutor executor;
    std::shared_ptr<app::AppLookup> names =
        std::make_shared<app::AppLookup>(platform->workspace(), platform->fileManager());
    app::BelowBarController controller{
        {platform->screens(), platform->input(), platform->statusBar(), platform->input(),
         platform->programWindows(),
         app::IconStore::create(executor, platform->workspace(), pellacor::testing::inlineRuns()),
         [this](const std::string& id) { return names->name(id); },
         [this](core::Point topDown) { return view.globalPosition(topDown); }}};
    std::vector<BelowBarEntry> pressed;
    int closedByUser = 0;
    std::vector<BelowBarEntry> hidden;

    BelowBarDesktopTest() {
        view.resize(view.sizeHint());
        view.show();
        item.show(core::MenuBarState::collapsed, std::nullopt);
        controller.onPress = [this](const BelowBarEntry& e) { pressed.push_back(e); };
        controller.onClosedByUser = [this] { ++closedByUser; };
        controller.controlFrame = [this]() -> std::optional<core::Rect> { return controlFrame(); };
        const core::Profile profile(core::Uuid::random(), "ふだん",
                                    {{core::AppKey("com.example.zephyrin"), core::Section::shown},
                                     {core::AppKey("com.example.lanternmeter"), core::Section::shown}},
                                    {}, core::Section::hidden);
        hidden = core::BelowBarList::entries(pellacor::testing::itemSnapshots(*platform->desktop()), profile,
                                             core::bundleIdentifier, {});
        QCoreApplication::processEvents();
    }

    std::optional<core::Rect> controlFrame() const {
        const auto window = item.statusItem()->buttonWindow();
        return window ? std::optional(window->frame) : std::nullopt;
    }
    QRectF controlRect() const { return pellacor::testing::controlItemRect(view); }
    void clickView(QPointF at) { demo::sendClick(view, at); }
};

} // namespace

TEST_F(BelowBarDesktopTest, OpensUnderTheControlItemWithTheHiddenApplications) {
    ASSERT_GE(hidden.size(), 10U);
    controller.show(hidden, controlFrame());
    QCoreApplication::processEvents();

    // Its right edge on the control item's, 4 points under the bar.
    const QRectF control = controlRect();
    const QRect panel = controller.panel()->geometry();
    EXPECT_EQ(panel.topLeft() + QPoint(panel.width(), 0),
              view.mapToGlobal(QPointF(control.right(), control.bottom() + 4).toPoint()));
    EXPECT_EQ(panel.width(), 876) << "more than eight entries fill eight columns";

    // Each hidden application has its cell, named as the workspace names it.
    for (const auto& e : hidden) {
        const auto* cell =
            controller.panel()->findChild<app::BelowBarCell*>(QString::fromStdString("belowbar:" + e.id()));
        ASSERT_NE(cell, nullptr) << e.id();
    }
    const auto* quillow =
        controller.panel()->findChild<app::BelowBarCell*>("belowbar:com.example.quillowsync#1");
    ASSERT_NE(quillow, nullptr);
    EXPECT_EQ(quillow->accessibleName(), "Quillow Sync 2");
    executor.runUntilIdle();
    EXPECT_TRUE(quillow->hasIcon());

    // While open it is a window of the program's process.
    const auto self = platform->desktop()->runningApplication(std::string(core::bundleIdentifier));
    ASSERT_TRUE(self);
    bool listed = false;
    for (const auto& window : platform->desktop()->windows()) {
        listed = listed || (window.ownerProcessIdentifier == self->processIdentifier &&
                            window.layer == app::BelowBarPanel::level);
    }
    EXPECT_TRUE(listed);
}

TEST_F(BelowBarDesktopTest, AClickOnACellReachesOnPressWithItsEntry) {
    controller.show(hidden, controlFrame());
    const BelowBarEntry& chosen = hidden.at(3);
    auto* cell =
        controller.panel()->findChild<app::BelowBarCell*>(QString::fromStdString("belowbar:" + chosen.id()));
    ASSERT_NE(cell, nullptr);
    demo::sendClick(*cell, QRectF(cell->rect()).center());
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{chosen});
    EXPECT_EQ(closedByUser, 0);
}

TEST_F(BelowBarDesktopTest, AClickOnTheDesktopClosesItButAPlainClickOnTheControlItemDoesNot) {
    controller.show(hidden, controlFrame());
    clickView(controlRect().center());
    EXPECT_TRUE(controller.isOpen());
    EXPECT_EQ(closedByUser, 0);
    clickView(QPointF(400, 400));
    EXPECT_FALSE(controller.isOpen());
    EXPECT_FALSE(controller.panel()->isVisible());
    EXPECT_EQ(closedByUser, 1);
}

} // namespace PELLACOR_TEST_FILE
