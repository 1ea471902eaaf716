#include "Trayvane/Windows/AuxiliaryWindowController.h"

#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Trayvane/Windows/AuxiliaryWindowFrame.h"
#include "Trayvane/Windows/AuxiliaryWindowPlacement.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QPoint>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::AuxiliaryWindowController;
using app::AuxiliaryWindowPlacement;

namespace {

// A 400 × 300 window placed 60 points below the top over the default demo
// desktop (one 1512 × 982 screen under a 24-point bar).
struct AuxiliaryWindowControllerTest : ::testing::Test {
    std::shared_ptr<platform::SimulatedPlatform> platform = [] {
        pellacor::testing::offscreenApplication();
        return std::make_shared<platform::SimulatedPlatform>();
    }();
    const std::size_t others = platform->desktop()->windows().size();
    std::unique_ptr<AuxiliaryWindowController> controller = make(platform->programWindows());

    std::unique_ptr<AuxiliaryWindowController> make(std::shared_ptr<platform::ProgramWindows> list) const {
        return std::make_unique<AuxiliaryWindowController>(
            app::AuxiliaryWindowServices{platform->screens(), platform->input(), {}, std::move(list)},
            AuxiliaryWindowPlacement::notice());
    }
    static QWidget& build(AuxiliaryWindowController& built) {
        auto& frame = built.build<app::AuxiliaryWindowFrame>();
        frame.resize(400, 300);
        return frame;
    }
    // How many windows of the list stand where the window stands now.
    long listedAt(const QWidget& window) const {
        const core::Rect at(window.x(), window.y(), window.width(), window.height());
        const auto windows = platform->desktop()->windows();
        return std::count_if(windows.begin(), windows.end(),
                             [&at](const auto& listed) { return listed.bounds == at; });
    }
    std::size_t listed() const { return platform->desktop()->windows().size() - others; }
};

} // namespace

TEST_F(AuxiliaryWindowControllerTest, ListedWhileOnScreenAndTakenOutHoweverItLeaves) {
    EXPECT_EQ(controller->window(), nullptr) << "nothing before it is built";
    EXPECT_FALSE(controller->isVisible());
    EXPECT_FALSE(controller->close()) << "nothing to close";

    QWidget& window = build(*controller);
    EXPECT_EQ(controller->window(), &window);
    EXPECT_FALSE(window.testAttribute(Qt::WA_QuitOnClose)) << "closing it never ends the program";
    platform->input()->moveMouse({300, 300});
    controller->present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint((1512 - 400) / 2, 24 + 60));
    EXPECT_EQ(listed(), 1U);
    EXPECT_EQ(listedAt(window), 1);

    platform->input()->moveMouse({100, 100});
    controller->present();
    EXPECT_EQ(window.pos(), QPoint((1512 - 400) / 2, 24 + 60)) << "a window on screen stays";
    EXPECT_EQ(listed(), 1U) << "listed once";

    window.close(); // its own close button
    EXPECT_EQ(controller->window(), &window) << "only hidden";
    EXPECT_EQ(listed(), 0U);
    EXPECT_FALSE(controller->close()) << "already closed";

    controller->present();
    EXPECT_EQ(listed(), 1U) << "listed again when it comes back";
    EXPECT_TRUE(controller->close());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(listed(), 0U);

    // Gone with the window on screen: the entry goes too, and the window's
    // last hide reaches nothing that has gone.
    controller->present();
    ASSERT_EQ(listed(), 1U);
    controller.reset();
    EXPECT_EQ(listed(), 0U);
}

TEST_F(AuxiliaryWindowControllerTest, WithoutAWindowListItIsPlacedAndClosedAlike) {
    controller = make(nullptr);
    EXPECT_EQ(controller->listed(), nullptr);
    QWidget& window = build(*controller);
    controller->present();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint((1512 - 400) / 2, 24 + 60));
    EXPECT_EQ(listed(), 0U);
    EXPECT_TRUE(controller->close());
    EXPECT_FALSE(window.isVisible());
}

} // namespace PELLACOR_TEST_FILE
