#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/LogCapture.h"
#include "Trayvane/Onboarding/PermissionGuideModel.h"
#include "Trayvane/Onboarding/PermissionGuideText.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Onboarding/SymbolView.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::app;

namespace {

using Screen = platform::Screen;

Screen screen(core::Rect frame, double menuBar = 24) {
    Screen s;
    s.frame = frame;
    s.visibleFrame = core::Rect(frame.minX(), frame.minY(), frame.width(), frame.height() - menuBar);
    return s;
}

} // namespace

TEST(PermissionGuideModelTest, TellsItsObserversOnlyOfAChangedPermission) {
    PermissionGuideModel model;
    int told = 0;
    auto subscription = model.observe([&] { ++told; });
    model.setTrusted(std::nullopt);
    EXPECT_EQ(told, 0) << "nil is where it starts";
    model.setTrusted(false);
    model.setTrusted(false);
    model.setTrusted(true);
    model.setTrusted(std::nullopt);
    EXPECT_EQ(told, 3);
    subscription.reset();
    model.setTrusted(true);
    EXPECT_EQ(told, 3);

    // Buttons without a callback do nothing; with one they call it.
    model.openSettings();
    model.relaunch();
    model.close();
    std::vector<std::string> pressed;
    model.onOpenSettings = [&] { pressed.emplace_back("settings"); };
    model.onRelaunch = [&] { pressed.emplace_back("relaunch"); };
    model.onClose = [&] { pressed.emplace_back("close"); };
    model.openSettings();
    model.relaunch();
    model.close();
    EXPECT_EQ(pressed, (std::vector<std::string>{"settings", "relaunch", "close"}));
}

TEST(PermissionGuideModelTest, NotKnownAndNotGrantedLookAlike) {
    const auto unknown = PermissionGuideModel::status(std::nullopt);
    EXPECT_EQ(unknown, PermissionGuideModel::status(false));
    EXPECT_EQ(unknown.symbol, "circle.dotted");
    EXPECT_EQ(unknown.symbolColour, AppColor::secondaryText);
    EXPECT_EQ(unknown.text, "まだ許可されていません。");
    const auto granted = PermissionGuideModel::status(true);
    EXPECT_EQ(granted.symbol, "checkmark.circle.fill");
    EXPECT_EQ(granted.symbolColour, AppColor::successText);
    EXPECT_EQ(granted.text, PermissionGuideText::grantedButStuck());
}

TEST(PermissionGuideTextTest, FourStepsInNumberOrder) {
    const auto& steps = PermissionGuideText::steps();
    ASSERT_EQ(steps.size(), 4U);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(steps[static_cast<std::size_t>(i)].number, i + 1);
    }
    EXPECT_EQ(steps[0].text, "下の「システム設定を開く」を押します。");
    EXPECT_EQ(steps[3].text, "オンにすると、数秒で動き始めます。この窓も自動で閉じます。");
}

TEST(PermissionGuidePlacementTest, CentredSixtyPointsBelowTheTopOfTheScreenUnderThePointer) {
    // A main screen and a second one to its right, whose bottom is higher.
    const std::vector<Screen> screens{screen(core::Rect(0, 0, 1000, 800)),
                                      screen(core::Rect(1000, 100, 600, 500))};
    const core::Size size{560, 400};
    const struct {
        const char* where;
        core::Point pointer;
        std::optional<core::Point> origin;
    } cases[] = {
        {"on the main screen", {300, 300}, core::Point{220, 776 - 400 - 60}},
        {"on the second screen", {1200, 300}, core::Point{1020, 576 - 400 - 60}},
        // The left and top edges belong to a screen, the right and bottom ones do not.
        {"on the second screen's left edge", {1000, 300}, core::Point{1020, 116}},
        {"on the second screen's top edge", {1200, 600}, core::Point{1020, 116}},
        {"on the second screen's bottom edge", {1200, 100}, core::Point{220, 316}},
        {"on no screen", {5000, 5000}, core::Point{220, 316}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PermissionGuideWindowController::placement(screens, c.pointer, size), c.origin) << c.where;
    }
    EXPECT_EQ(PermissionGuideWindowController::placement({}, {0, 0}, size), std::nullopt) << "no screen";
}

namespace {

// The guide over the default demo desktop; its window placed on the real
// screen at the top-down point itself.
struct PermissionGuideWindowTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    pellacor::testing::LogCapture log;
    PermissionGuideWindowController guide{
        platform->screens(), platform->input(), {}, platform->programWindows()};
    std::vector<std::string> pressed;

    PermissionGuideWindowTest() {
        guide.model().onOpenSettings = [this] { pressed.emplace_back("settings"); };
        guide.model().onRelaunch = [this] { pressed.emplace_back("relaunch"); };
        guide.model().onClose = [this] { pressed.emplace_back("close"); };
    }
    ~PermissionGuideWindowTest() override {
        if (guide.window() != nullptr) {
            guide.window()->hide();
        }
    }

    // Where the window would stand for the pointer at a point of the main screen.
    QPoint expectedTopLeft(core::Point pointer) const {
        const auto screens = platform->screens()->screens();
        const auto* window = guide.window();
        const core::Size size{static_cast<double>(window->width()), static_cast<double>(window->height())};
        const auto origin = PermissionGuideWindowController::placement(screens, pointer, size);
        const auto topDown = core::convertScreenSpace(core::Rect(*origin, size), screens.front().frame);
        return {static_cast<int>(topDown.minX()), static_cast<int>(topDown.minY())};
    }
    template <typename Widget> Widget& find(const char* name) const {
        auto* widget = guide.window()->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    void key(int code) const {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(guide.window(), &press);
    }
};

} // namespace

TEST_F(PermissionGuideWindowTest, ASecondShowNeitherMovesNorDuplicatesTheWindow) {
    EXPECT_EQ(guide.window(), nullptr) << "made on the first show";
    platform->input()->moveMouse({700, 900});
    guide.show();
    auto* window = guide.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Pellacor");
    EXPECT_EQ(window->objectName(), "permissionGuide");
    EXPECT_EQ(window->width(), 560);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    const QPoint placed = window->pos();
    EXPECT_EQ(placed, expectedTopLeft({700, 900}));
    EXPECT_EQ(placed.y(), 24 + 60) << "60 points below the menu bar of the default screen";

    platform->input()->moveMouse({100, 100});
    guide.show();
    EXPECT_EQ(guide.window(), window);
    EXPECT_EQ(window->pos(), placed) << "a visible window keeps its place";
    EXPECT_EQ(log.matching("許可の案内を出しました").size(), 2U);

    // Closed and shown again, it comes up where the pointer is now.
    guide.close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(guide.window(), window) << "kept for the next show";
    platform->input()->moveMouse({1400, 500});
    guide.show();
    EXPECT_EQ(guide.window(), window);
    EXPECT_EQ(window->pos(), expectedTopLeft({1400, 500}));
}

TEST_F(PermissionGuideWindowTest, CloseLogsOnlyWhenItHidesAVisibleWindow) {
    guide.close();
    EXPECT_TRUE(log.matching("許可の案内を閉じました").empty()) << "never shown";

    guide.show();
    guide.window()->close(); // the window's own close button
    EXPECT_FALSE(guide.window()->isVisible());
    guide.close();
    EXPECT_TRUE(log.matching("許可の案内を閉じました").empty()) << "already closed by the user";

    guide.show();
    guide.close();
    const auto closed = log.matching("許可の案内を閉じました");
    ASSERT_EQ(closed.size(), 1U);
    EXPECT_EQ(closed[0].level, core::LogLevel::info);
    EXPECT_FALSE(guide.window()->isVisible());
}

TEST_F(PermissionGuideWindowTest, ReturnOpensTheSettingsAndEscapeCloses) {
    guide.show();
    key(Qt::Key_Return);
    key(Qt::Key_Enter);
    key(Qt::Key_Escape);
    key(Qt::Key_Space);
    EXPECT_EQ(pressed, (std::vector<std::string>{"settings", "settings", "close"}));

    pressed.clear();
    find<AppButton>("permission:openSettings").click();
    find<AppButton>("permission:relaunch").click();
    find<AppButton>("permission:close").click();
    EXPECT_EQ(pressed, (std::vector<std::string>{"settings", "relaunch", "close"}));
    EXPECT_TRUE(find<AppButton>("permission:openSettings").style().prominent);
    EXPECT_FALSE(find<AppButton>("permission:close").style().prominent);
}

TEST_F(PermissionGuideWindowTest, TheStatusRowFollowsThePermission) {
    guide.show();
    auto* view = guide.window();
    const auto& row = find<QWidget>("permission:status");
    EXPECT_EQ(view->statusText().text().toStdString(), "まだ許可されていません。");
    EXPECT_EQ(view->statusSymbol().symbol(), "circle.dotted");
    const int waitingHeight = view->height();

    guide.model().setTrusted(false);
    EXPECT_EQ(view->statusText().text().toStdString(), "まだ許可されていません。") << "false looks like nil";
    EXPECT_EQ(view->statusSymbol().symbol(), "circle.dotted");

    guide.model().setTrusted(true);
    EXPECT_EQ(view->statusText().text().toStdString(), PermissionGuideText::grantedButStuck());
    EXPECT_EQ(view->statusSymbol().symbol(), "checkmark.circle.fill");
    EXPECT_EQ(view->statusSymbol().colour(), AppColor::successText.resolved(appearanceOf(view->palette())));
    EXPECT_EQ(row.accessibleName(), view->statusText().text()) << "one element for accessibility";
    EXPECT_GT(view->height(), waitingHeight) << "the window grows with the longer line";
}

TEST_F(PermissionGuideWindowTest, TheOpenGuideIsAWindowOfTheProgram) {
    const auto before = platform->desktop()->windows().size();
    guide.show();
    const auto windows = platform->desktop()->windows();
    ASSERT_EQ(windows.size(), before + 1);
    const auto self = platform->desktop()->runningApplication("app.trayvane.pellacor");
    ASSERT_TRUE(self);
    const auto own = std::find_if(windows.begin(), windows.end(), [&](const auto& window) {
        return window.ownerProcessIdentifier == self->processIdentifier;
    });
    ASSERT_NE(own, windows.end());
    EXPECT_EQ(own->layer, 0);
    EXPECT_EQ(own->bounds.minY(), 24 + 60);
    EXPECT_EQ(own->bounds.width(), 560);

    guide.window()->close();
    EXPECT_EQ(platform->desktop()->windows().size(), before) << "gone however it was closed";
    guide.show();
    guide.close();
    EXPECT_EQ(platform->desktop()->windows().size(), before);
}

} // namespace PELLACOR_TEST_FILE
