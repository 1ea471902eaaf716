#include "Trayvane/Panels/BelowBarController.h"

#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "ProgramOnDesktop.h"
#include "Support/LogCapture.h"
#include "Trayvane/Panels/BelowBarCell.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/BelowBarView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::BelowBarCell;
using app::BelowBarController;
using core::BelowBarEntry;
using core::Rect;

namespace {

BelowBarEntry entry(std::string bundleID, int index, std::optional<int> ordinal = std::nullopt) {
    return {std::move(bundleID), index, 100 + index, ordinal};
}

std::vector<BelowBarEntry> entries(std::size_t count) {
    std::vector<BelowBarEntry> result;
    for (std::size_t i = 0; i < count; ++i) {
        result.push_back(entry("com.example.app" + std::to_string(i), 0));
    }
    return result;
}

// "com.example.app7" is "App 7"; two names with "&" in them; any other
// application is its identifier.
std::string appName(const std::string& id) {
    if (id == "com.example.rnd") {
        return "R&D";
    }
    if (id == "com.example.amps") {
        return "&&";
    }
    const std::string prefix = "com.example.app";
    return id.starts_with(prefix) ? "App " + id.substr(prefix.size()) : id;
}

// The controller over the default simulated desktop (one 1512 × 982 screen
// with a camera housing), its icons rendered on a manual executor.
struct BelowBarControllerTest : ::testing::Test, pellacor::testing::DesktopWithIcons {
    std::unique_ptr<BelowBarController> controller = make(platform->screens());
    std::vector<BelowBarEntry> pressed;
    int closedByUser = 0;
    std::optional<Rect> control = Rect(1180, 958, 28, 24);

    std::unique_ptr<BelowBarController> make(std::shared_ptr<platform::Screens> screens) {
        BelowBarController::Services services{screens,
                                              platform->input(),
                                              platform->statusBar(),
                                              platform->input(),
                                              platform->programWindows(),
                                              icons,
                                              appName,
                                              {}};
        auto result = std::make_unique<BelowBarController>(std::move(services));
        result->onPress = [this](const BelowBarEntry& e) { pressed.push_back(e); };
        result->onClosedByUser = [this] { ++closedByUser; };
        result->controlFrame = [this] { return control; };
        return result;
    }
    app::BelowBarCell* cell(const BelowBarEntry& e) const {
        return controller->panel()->findChild<app::BelowBarCell*>(
            QString::fromStdString("belowbar:" + e.id()));
    }
    std::vector<platform::SimulatedDesktop::Window> panelWindows() const {
        std::vector<platform::SimulatedDesktop::Window> result;
        for (const auto& window : platform->desktop()->windows()) {
            if (window.layer == app::BelowBarPanel::level) {
                result.push_back(window);
            }
        }
        return result;
    }
    void mouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPointF at) const {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
    void escapeInPanel() const {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(controller->panel(), &event);
    }
    // The simulated user clicks somewhere on the desktop (screen coordinates).
    void clickOnDesktop(core::Point at, std::uint32_t button = 0, std::uint64_t modifiers = 0) const {
        platform->input()->setModifierFlags(modifiers);
        platform->input()->moveMouse(at);
        platform->input()->pressMouseButton(button);
        platform->input()->releaseMouseButton(button);
        platform->input()->setModifierFlags(0);
    }
};

} // namespace

TEST_F(BelowBarControllerTest, ShowOpensThePanelUnderTheControlItemAndListsItAsAWindow) {
    pellacor::testing::LogCapture log;
    controller->show(entries(3), control);
    ASSERT_NE(controller->panel(), nullptr);
    EXPECT_TRUE(controller->isOpen());
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->panel()->objectName(), "belowbar:panel");
    // The housing's 24-point inset is the bar; the panel's right edge is the control item's.
    const Rect expected(1208 - 336, 982 - 24 - 4 - controller->frame()->height(), 336,
                        controller->frame()->height());
    EXPECT_EQ(controller->frame(), expected);
    EXPECT_EQ(controller->panel()->geometry(), QRect(872, 28, 336, static_cast<int>(expected.height())));

    const auto windows = panelWindows();
    ASSERT_EQ(windows.size(), 1U);
    EXPECT_EQ(windows[0].bounds, Rect(872, 28, 336, expected.height()));

    const auto lines = log.matching("下の段の窓を出しました");
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].category, "app");
    EXPECT_EQ(lines[0].level, core::LogLevel::info);
    EXPECT_EQ(lines[0].message, "下の段の窓を出しました（3 個・位置 " + expected.description() + "）");

    controller->close();
    EXPECT_FALSE(controller->isOpen());
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_TRUE(panelWindows().empty());
    EXPECT_EQ(closedByUser, 0) << "closing by the program tells nobody";
}

TEST_F(BelowBarControllerTest, TheGridHasAColumnPerEntryUpToEight) {
    struct Case {
        std::size_t count;
        int width;
        int rows;
    };
    for (const Case& c : {Case{1, 120, 1}, Case{3, 336, 1}, Case{7, 768, 1}, Case{8, 876, 1},
                          Case{12, 876, 2}, Case{17, 876, 3}}) {
        controller->show(entries(c.count), control);
        EXPECT_EQ(controller->panel()->width(), c.width) << c.count;
        std::set<int> tops;
        for (const auto& e : controller->entries()) {
            ASSERT_NE(cell(e), nullptr) << e.id();
            tops.insert(cell(e)->y());
        }
        EXPECT_EQ(static_cast<int>(tops.size()), c.rows) << c.count;
    }
}

TEST_F(BelowBarControllerTest, AnEmptyListShowsOneLineAtItsOwnSize) {
    controller->show({}, control);
    const auto* line = controller->panel()->findChild<QLabel*>("belowbar:empty");
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), "隠しているアイコンはありません");
    EXPECT_TRUE(controller->panel()->findChildren<BelowBarCell*>().empty());
    EXPECT_EQ(controller->panel()->size(), line->sizeHint() + QSize(32, 24));
}

TEST_F(BelowBarControllerTest, CellsAreLabelledAndNumberedPerApplication) {
    const std::vector<BelowBarEntry> list{entry("com.example.app1", 0, 1), entry("com.example.app1", 1, 2),
                                          entry("com.example.app2", 0)};
    controller->show(list, control);
    EXPECT_EQ(cell(list[0])->accessibleName(), "App 1 1");
    EXPECT_EQ(cell(list[1])->accessibleName(), "App 1 2");
    EXPECT_EQ(cell(list[2])->accessibleName(), "App 2");
    EXPECT_EQ(cell(list[0])->objectName(), "belowbar:com.example.app1#0");
}

// An application's name is shown as it is; an "&" in it is no shortcut
// mark, so no key combination presses its cell.
TEST_F(BelowBarControllerTest, AnAmpersandInANameIsShownAsItIsAndMakesNoShortcut) {
    const std::vector<BelowBarEntry> list{entry("com.example.rnd", 0), entry("com.example.amps", 0)};
    controller->show(list, control);
    for (const auto& [shown, name] : {std::pair{list[0], "R&D"}, std::pair{list[1], "&&"}}) {
        SCOPED_TRACE(name);
        ASSERT_NE(cell(shown), nullptr);
        EXPECT_EQ(cell(shown)->text(), name);
        EXPECT_EQ(cell(shown)->accessibleName(), name);
        EXPECT_TRUE(cell(shown)->shortcut().isEmpty()) << cell(shown)->shortcut().toString().toStdString();
    }
}

TEST_F(BelowBarControllerTest, ALongNameWrapsAndMakesItsRowTaller) {
    controller->show({entry("com.example.app1", 0), entry("com.example.app2", 0)}, control);
    const int oneLine = cell(controller->entries()[0])->height();
    BelowBarController::Services services{
        platform->screens(),
        platform->input(),
        platform->statusBar(),
        platform->input(),
        platform->programWindows(),
        icons,
        [](const std::string& id) { return id.ends_with("2") ? "A rather long application name" : "Short"; },
        {}};
    BelowBarController wrapped(std::move(services));
    wrapped.show({entry("com.example.app1", 0), entry("com.example.app2", 0)}, control);
    const auto cells = wrapped.panel()->findChildren<BelowBarCell*>();
    ASSERT_EQ(cells.size(), 2);
    EXPECT_EQ(cells[0]->width(), 104);
    EXPECT_GT(cells[1]->height(), oneLine) << "wrapped onto more lines, not cut";
    EXPECT_EQ(cells[0]->height(), oneLine) << "each cell keeps its own height, aligned to the top";
}

TEST_F(BelowBarControllerTest, UpdateLaysOutOnlyAnOpenPanelWithAChangedList) {
    controller->show(entries(2), control);
    auto* first = cell(controller->entries()[0]);
    controller->update(entries(2));
    EXPECT_EQ(cell(controller->entries()[0]), first) << "an equal list is not laid out again";

    auto three = entries(3);
    three[0].pid = 999;
    controller->update(three);
    EXPECT_EQ(controller->entries(), three);
    EXPECT_NE(cell(three[0]), first);
    EXPECT_EQ(controller->panel()->width(), 336);
    EXPECT_EQ(panelWindows().at(0).bounds.width(), 336) << "the listed window follows";

    controller->close();
    controller->update(entries(5));
    EXPECT_EQ(controller->entries(), three) << "closed: nothing changes";
    controller->show(entries(1), control);
    EXPECT_EQ(controller->entries(), entries(1)) << "the next show brings its own list";
}

TEST_F(BelowBarControllerTest, EscapeTwiceClosesOnceAndTheMonitorsGo) {
    controller->show(entries(2), control);
    escapeInPanel();
    escapeInPanel();
    EXPECT_EQ(closedByUser, 1);
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_TRUE(panelWindows().empty());
    clickOnDesktop({100, 100});
    platform->input()->pressKey(53, 0);
    EXPECT_EQ(closedByUser, 1) << "nothing watches any more";
}

TEST_F(BelowBarControllerTest, EscapeOrAClickElsewhereOnTheDesktopClosesItOnce) {
    controller->show(entries(2), control);
    platform->input()->pressKey(36, 0); // Return: nothing
    EXPECT_TRUE(controller->isOpen());
    platform->input()->pressKey(53, 0);
    platform->input()->pressKey(53, 0);
    EXPECT_EQ(closedByUser, 1);

    controller->show(entries(2), control);
    clickOnDesktop({100, 100});
    clickOnDesktop({100, 100}, 1);
    EXPECT_EQ(closedByUser, 2);
}

TEST_F(BelowBarControllerTest, OnTheControlItemOnlyAPlainLeftClickKeepsItOpen) {
    const core::Point onControl{1190, 970};
    struct Case {
        std::string what;
        std::uint32_t button;
        std::uint64_t modifiers;
        bool closes;
    };
    const std::vector<Case> cases{
        {"plain left click", 0, 0, false}, {"Shift-click", 0, 0x20000, false},
        {"middle button", 2, 0, false},    {"Control-click", 0, 0x40000, true},
        {"right click", 1, 0, true},
    };
    for (const auto& c : cases) {
        closedByUser = 0;
        controller->show(entries(2), control);
        clickOnDesktop(onControl, c.button, c.modifiers);
        EXPECT_EQ(closedByUser, c.closes ? 1 : 0) << c.what;
        EXPECT_EQ(controller->isOpen(), !c.closes) << c.what;
    }
    closedByUser = 0;
    control.reset(); // the control item's frame is not known
    controller->show(entries(2), control);
    clickOnDesktop(onControl);
    EXPECT_EQ(closedByUser, 1);
}

TEST_F(BelowBarControllerTest, LeftClickPressesTheCellAndARightClickOnlyWhenItEndsOnTheSameCell) {
    const auto list = entries(3);
    controller->show(list, control);
    auto* view = controller->view();
    const QPointF centre0 = cell(list[0])->geometry().center();
    const QPointF centre1 = cell(list[1])->geometry().center();

    mouse(cell(list[2]), QEvent::MouseButtonPress, Qt::LeftButton, {50, 20});
    mouse(cell(list[2]), QEvent::MouseButtonRelease, Qt::LeftButton, {50, 20});
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{list[2]});

    pressed.clear();
    mouse(view, QEvent::MouseButtonPress, Qt::RightButton, centre0);
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, centre1);
    EXPECT_TRUE(pressed.empty()) << "pressed on one cell, released on another";
    EXPECT_EQ(view->rightPressed(), std::nullopt);

    mouse(view, QEvent::MouseButtonPress, Qt::RightButton, centre1);
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, centre1 + QPointF(10, 5));
    EXPECT_EQ(pressed, std::vector<BelowBarEntry>{list[1]});

    pressed.clear();
    mouse(view, QEvent::MouseButtonPress, Qt::RightButton, {2, 2}); // the padding
    mouse(view, QEvent::MouseButtonRelease, Qt::RightButton, {2, 2});
    EXPECT_TRUE(pressed.empty());
    EXPECT_TRUE(controller->isOpen()) << "what a press does is the delegate's business";
}

TEST_F(BelowBarControllerTest, ACellShowsAPlaceholderUntilItsIconArrives) {
    const auto list =
        std::vector<BelowBarEntry>{entry("com.example.fernlight", 0), entry("com.example.gone", 0)};
    controller->show(list, control);
    EXPECT_FALSE(cell(list[0])->hasIcon());
    EXPECT_FALSE(cell(list[1])->hasIcon());
    executor.runUntilIdle();
    EXPECT_TRUE(cell(list[0])->hasIcon());
    EXPECT_TRUE(cell(list[1])->hasIcon()) << "an application that is not installed shows the generic icon";
    EXPECT_NE(icons->images().at("com.example.fernlight"), icons->images().at("com.example.gone"));
}

TEST_F(BelowBarControllerTest, WithoutScreensThePanelIsNotMovedButStillShownAndWatched) {
    controller = make(std::make_shared<pellacor::testing::NoScreens>());
    controller->show(entries(2), control);
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->frame(), std::nullopt);
    clickOnDesktop({100, 100});
    EXPECT_EQ(closedByUser, 1);
}

TEST_F(BelowBarControllerTest, TheControlItemOnAnotherScreenThanThePointerIsIgnored) {
    platform->desktop()->setScreens({platform::SimulatedScreen{Rect(0, 0, 1512, 982), 24, 180},
                                     platform::SimulatedScreen{Rect(1512, 0, 1920, 1080), 24}});
    platform->input()->moveMouse({2500, 500});
    controller->show(entries(3), control);
    EXPECT_EQ(controller->frame()->maxX(), 1512 + 1920 - 8);
    EXPECT_EQ(controller->frame()->maxY(), 1080 - 24 - 4);
}

TEST_F(BelowBarControllerTest, AHoveredCellIsTintedAndAPressedOneMoreStrongly) {
    controller->show(entries(1), control);
    auto* target = cell(controller->entries()[0]);
    ASSERT_NE(target, nullptr);
    // A point of the cell's fill, clear of the icon and the label.
    const QPoint fill(4, target->height() / 2);
    const auto colourAt = [&] { return target->grab().toImage().pixelColor(fill); };
    // How far the fill leans to blue: none on the panel's grey background.
    const auto tint = [&] {
        const QColor colour = colourAt();
        return colour.blue() - colour.red();
    };
    EXPECT_EQ(tint(), 0) << "no fill: the grey background shows through";

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), target->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(target->isHovering());
    const int hovered = tint();
    EXPECT_GT(hovered, 0) << "the accent colour";

    target->setDown(true);
    EXPECT_GT(tint(), hovered) << "pressed wins over hovering, and is stronger";

    target->setDown(false);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(target, &leave);
    EXPECT_FALSE(target->isHovering());
    EXPECT_EQ(tint(), 0);
}

} // namespace PELLACOR_TEST_FILE
