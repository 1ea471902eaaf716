#include "DemoDesktop/DesktopAppearance.h"
#include "DemoDesktop/DesktopWindow.h"
#include "ProgramOnDesktop.h"
#include "Trayvane/Onboarding/PermissionGuideView.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/BelowBarPanel.h"
#include "Trayvane/Panels/SearchController.h"
#include "Trayvane/Panels/SearchPanel.h"
#include "Trayvane/Panels/SearchWindow.h"
#include "Trayvane/StatusItem/ControlItem.h"
#include "Trayvane/Theme/Appearance.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using core::BelowBarEntry;
using core::SearchCandidate;
using core::Section;

namespace {

// One window of the program: made in the appearance of the moment, then
// shown, hidden and shown again as the program does.
struct OpenWindow {
    std::shared_ptr<void> owner;
    std::function<QWidget*()> window;
    std::function<void()> show;
    std::function<void()> close;
};

// Empty when the two images are the same; otherwise how they differ.
std::string difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " and " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    }
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    std::string first;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            if (left.pixel(x, y) != right.pixel(x, y)) {
                if (count++ == 0) {
                    first = " first at (" + std::to_string(x) + ", " + std::to_string(y) +
                            "): " + left.pixelColor(x, y).name(QColor::HexArgb).toStdString() + " and " +
                            right.pixelColor(x, y).name(QColor::HexArgb).toStdString();
                }
            }
        }
    }
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ," + first;
}

// The program's windows on the demo desktop, whose appearance is switched as
// a person switches it: with the desktop's "Dark appearance" box.
struct AppearanceFollowingTest : ::testing::Test, pellacor::testing::DesktopWithIcons {
    QPalette saved = QApplication::palette();
    demo::DesktopWindow desktop{platform};

    AppearanceFollowingTest() { demo::DesktopAppearance::apply(false); }
    ~AppearanceFollowingTest() override { QApplication::setPalette(saved); }

    void setDark(bool dark) {
        auto* box = desktop.findChild<QCheckBox*>("controls-dark");
        ASSERT_NE(box, nullptr);
        box->setChecked(dark);
        QCoreApplication::processEvents();
    }

    // The window as it stands once every icon it asked for has arrived (an
    // icon still on its way would draw as its placeholder in one picture and
    // as itself in the next).
    QImage shot(QWidget& window) {
        do {
            QCoreApplication::processEvents();
        } while (executor.runUntilIdle() > 0);
        return window.grab().toImage();
    }

    OpenWindow searchPanel(std::vector<SearchCandidate> candidates) {
        auto window = std::make_shared<app::SearchWindow>(app::SearchWindow::Services{
            platform->screens(), platform->input(), platform->programWindows(), icons, {}});
        auto model = std::make_shared<app::SearchModel>([](const std::string& id) { return id; });
        auto controller = std::make_shared<app::SearchController>(model, window, icons, [] {});
        auto owner = std::make_shared<
            std::pair<std::shared_ptr<app::SearchWindow>, std::shared_ptr<app::SearchController>>>(
            window, controller);
        return {owner, [window] { return static_cast<QWidget*>(window->panel()); },
                [controller, candidates] { controller->show(candidates); },
                [controller] { controller->close("テスト"); }};
    }

    OpenWindow belowBarPanel(std::vector<BelowBarEntry> entries) {
        auto controller = std::make_shared<app::BelowBarController>(
            app::BelowBarController::Services{platform->screens(),
                                              platform->input(),
                                              platform->statusBar(),
                                              platform->input(),
                                              platform->programWindows(),
                                              icons,
                                              [](const std::string& id) { return id; },
                                              {}});
        controller->controlFrame = [] { return std::optional<core::Rect>(core::Rect(1180, 958, 28, 24)); };
        return {controller, [controller] { return static_cast<QWidget*>(controller->panel()); },
                [controller, entries] { controller->show(entries, core::Rect(1180, 958, 28, 24)); },
                [controller] { controller->close(); }};
    }

    OpenWindow permissionGuide() {
        auto guide = std::make_shared<app::PermissionGuideWindowController>(
            platform->screens(), platform->input(), app::PermissionGuideWindowController::ScreenMapping{},
            platform->programWindows());
        return {guide, [guide] { return static_cast<QWidget*>(guide->window()); }, [guide] { guide->show(); },
                [guide] { guide->close(); }};
    }
};

const std::vector<SearchCandidate> candidates{
    {BelowBarEntry{"com.example.fernlight", 0, 700, std::nullopt}, Section::hidden},
    {BelowBarEntry{"com.example.cobalt", 0, 701, std::nullopt}, Section::alwaysHidden},
};
const std::vector<BelowBarEntry> cells{{"com.example.fernlight", 0, 700, std::nullopt},
                                       {"com.example.cobalt", 0, 701, std::nullopt}};

// Each window, open while the appearance changes, draws as one made in the
// new appearance; hidden and shown again after the next change, it draws in
// that one. The empty search and below-bar panels carry the colours kept in
// palettes (the empty text, the search field, the scroll bar's style).
TEST_F(AppearanceFollowingTest, AnOpenWindowFollowsTheAppearanceAndTheNextOneOpenedUsesIt) {
    struct Case {
        const char* name;
        std::function<OpenWindow(AppearanceFollowingTest&)> make;
    };
    const std::vector<Case> cases{
        {"search panel", [](auto& t) { return t.searchPanel(candidates); }},
        {"search panel without candidates", [](auto& t) { return t.searchPanel({}); }},
        {"below-bar panel", [](auto& t) { return t.belowBarPanel(cells); }},
        {"below-bar panel without items", [](auto& t) { return t.belowBarPanel({}); }},
        {"permission guide", [](auto& t) { return t.permissionGuide(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setDark(false);
        OpenWindow open = c.make(*this);
        open.show();
        QWidget* window = open.window();
        ASSERT_NE(window, nullptr);
        const QImage light = shot(*window);

        setDark(true);
        EXPECT_EQ(app::currentAppearance(), app::Appearance::dark);
        const QImage followed = shot(*window);
        OpenWindow fresh = c.make(*this);
        fresh.show();
        const QImage dark = shot(*fresh.window());
        fresh.close();
        EXPECT_NE(difference(followed, light), "") << "the open window kept the light appearance";
        EXPECT_EQ(difference(followed, dark), "")
            << "the open window does not draw as one opened in the dark appearance";

        open.close();
        setDark(false);
        open.show();
        EXPECT_EQ(difference(shot(*open.window()), light), "") << "shown again, it kept the dark appearance";
        open.close();
    }
}

// The control item's menu, open while the appearance changes.
TEST_F(AppearanceFollowingTest, TheControlItemsOpenMenuFollowsTheAppearance) {
    QImage light;
    QImage followed;
    bool switchWhileOpen = true;
    auto run = [&](QMenu& menu, const core::Rect&) {
        menu.popup(QPoint(900, 40));
        light = shot(menu);
        if (switchWhileOpen) {
            setDark(true);
            followed = shot(menu);
        }
        menu.hide();
    };
    app::ControlItem item(platform->statusBar(), platform->input(), run, platform->programWindows());
    item.onPause = [] {};
    item.buttonPressed({{platform::StatusItem::ClickEvent::Kind::rightMouseUp, 0}});
    ASSERT_FALSE(light.isNull());
    switchWhileOpen = false;
    const QImage lightBefore = light;
    item.buttonPressed({{platform::StatusItem::ClickEvent::Kind::rightMouseUp, 0}});
    EXPECT_NE(difference(followed, lightBefore), "") << "the open menu kept the light appearance";
    EXPECT_EQ(difference(followed, light), "")
        << "the open menu does not draw as one opened in the dark appearance";
}

// How far the text inside `area` stands out from its background: the largest
// difference in lightness from the colour most of the area has.
int contrast(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    const auto background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                                return a.second < b.second;
                            })->first;
    const int ground = QColor(background).lightness();
    int most = 0;
    for (const auto& [pixel, count] : counts) {
        most = std::max(most, std::abs(QColor(pixel).lightness() - ground));
    }
    return most;
}

// A disabled menu entry and a disabled control read as disabled in either
// appearance: their text stands out from their background far less than
// that of enabled ones.
TEST_F(AppearanceFollowingTest, DisabledEntriesAndControlsReadAsDisabledInBothAppearances) {
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        setDark(dark);
        QMenu menu;
        QAction* on = menu.addAction(QStringLiteral("1つ上へ（メニューバーでは左へ）"));
        QAction* off = menu.addAction(QStringLiteral("1つ下へ（メニューバーでは右へ）"));
        off->setEnabled(false);
        menu.popup(QPoint(200, 200));
        const QImage entries = shot(menu).convertToFormat(QImage::Format_RGB32);
        const qreal ratio = entries.devicePixelRatio();
        auto inPixels = [ratio](const QRect& rect) {
            return QRect((QRectF(rect).topLeft() * ratio).toPoint(), (QSizeF(rect.size()) * ratio).toSize());
        };
        const int menuOn = contrast(entries, inPixels(menu.actionGeometry(on)));
        const int menuOff = contrast(entries, inPixels(menu.actionGeometry(off)));
        EXPECT_GT(menuOn, 100) << "an enabled entry reads";
        EXPECT_LT(menuOff * 10, menuOn * 6) << "enabled " << menuOn << ", disabled " << menuOff;
        menu.hide();

        for (const bool enabled : {true, false}) {
            QWidget controls;
            auto* button = new QPushButton(QStringLiteral("削除…"), &controls);
            auto* box = new QCheckBox(QStringLiteral("ホバーで表示"), &controls);
            box->move(0, 40);
            controls.resize(200, 80);
            button->setEnabled(enabled);
            box->setEnabled(enabled);
            controls.show();
            const QImage drawn = shot(controls).convertToFormat(QImage::Format_RGB32);
            const QImage enabledDrawn = [&] {
                button->setEnabled(true);
                box->setEnabled(true);
                return shot(controls).convertToFormat(QImage::Format_RGB32);
            }();
            if (enabled) {
                continue;
            }
            const QRect buttonText = inPixels(button->geometry().adjusted(6, 6, -6, -6));
            const QRect boxText = inPixels(box->geometry());
            EXPECT_LT(contrast(drawn, buttonText) * 10, contrast(enabledDrawn, buttonText) * 6) << "button";
            EXPECT_LT(contrast(drawn, boxText) * 10, contrast(enabledDrawn, boxText) * 6) << "check box";
        }
    }
}

} // namespace

} // namespace PELLACOR_TEST_FILE
