#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/SearchList.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "ProgramOnDesktop.h"
#include "Support/LogCapture.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchField.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchRow.h"
#include "Trayvane/Panels/SearchView.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/Settings/AppLookup.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using core::BelowBarEntry;

namespace {

// The search panel over the demo desktop, as the program shows it: named by
// the workspace, placed on the real screen through the desktop view, with the
// candidates of the default desktop's items under a profile that shows two
// applications and hides the rest.
struct SearchDesktopTest : ::testing::Test, pellacor::testing::DesktopWithIcons {
    demo::DesktopView view{platform};
    std::shared_ptr<app::AppLookup> names =
        std::make_shared<app::AppLookup>(platform->workspace(), platform->fileManager());
    std::shared_ptr<app::SearchWindow> window = std::make_shared<app::SearchWindow>(
        app::SearchWindow::Services{platform->screens(), platform->input(), platform->programWindows(), icons,
                                    [this](core::Point topDown) { return view.globalPosition(topDown); }});
    app::SearchController controller{
        std::make_shared<app::SearchModel>([this](const std::string& id) { return names->name(id); }), window,
        icons, [] {}};
    std::vector<core::SearchCandidate> candidates;
    std::vector<BelowBarEntry> pressed;
    pellacor::testing::LogCapture log;

    SearchDesktopTest() {
        view.resize(view.sizeHint());
        view.show();
        const core::Profile profile(core::Uuid::random(), "ふだん",
                                    {{core::AppKey("com.example.zephyrin"), core::Section::shown},
                                     {core::AppKey("com.example.lanternmeter"), core::Section::shown}},
                                    {}, core::Section::hidden);
        candidates = core::SearchList::candidates(pellacor::testing::itemSnapshots(*platform->desktop()),
                                                  profile, core::bundleIdentifier);
        controller.onPress = [this](const BelowBarEntry& e) { pressed.push_back(e); };
        QCoreApplication::processEvents();
    }
    app::SearchRow* row(const std::string& id) const {
        return window->panel()->findChild<app::SearchRow*>(QString::fromStdString("search:" + id));
    }
    void type(const QString& text) const {
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
        }
    }
};

} // namespace

TEST_F(SearchDesktopTest, FindsAnApplicationByNameAndPressesItsSecondItem) {
    controller.show(candidates);
    ASSERT_TRUE(controller.isOpen());
    // Centred on the desktop's screen, its top a fifth of the way down.
    const QRect panel = window->panel()->geometry();
    EXPECT_EQ(panel.left() + panel.width() / 2, view.mapToGlobal(QPoint(1512 / 2, 0)).x());
    EXPECT_NEAR(panel.top(), view.mapToGlobal(QPoint(0, static_cast<int>(982 * 0.2))).y(), 1);

    // A window of the program's process while open.
    const auto self = platform->desktop()->runningApplication(std::string(core::bundleIdentifier));
    ASSERT_TRUE(self);
    const auto listed = [&] {
        for (const auto& w : platform->desktop()->windows()) {
            if (w.ownerProcessIdentifier == self->processIdentifier && w.layer == app::SearchPanel::level) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(listed());

    type("quil");
    EXPECT_EQ(window->view()->field()->text(), "quil");
    const auto* second = row("com.example.quillowsync#1");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->accessibleName(), "Quillow Sync 2（隠す）");
    const auto* shown = row("com.example.zephyrin#0");
    EXPECT_EQ(shown, nullptr) << "filtered out";

    for (const int key : {Qt::Key_Down, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    ASSERT_EQ(pressed.size(), 1U);
    EXPECT_EQ(pressed[0].id(), "com.example.quillowsync#1");
    EXPECT_EQ(pressed[0].pid, 547);
    EXPECT_FALSE(listed()) << "closed before the press";
}

TEST_F(SearchDesktopTest, AClickOnTheDesktopTakesTheActivationAndClosesThePanel) {
    controller.show(candidates);
    ASSERT_TRUE(window->panel()->isActiveWindow());
    // The window system hands the activation to the window clicked.
    view.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller.isOpen());
    EXPECT_FALSE(window->panel()->isVisible());
    EXPECT_EQ(log.matching("検索の窓を閉じました").at(0).message, "検索の窓を閉じました（ほかを押した）");

    controller.show(candidates);
    EXPECT_TRUE(window->panel()->isActiveWindow()) << "it opens as the key window again";
}

} // namespace PELLACOR_TEST_FILE
