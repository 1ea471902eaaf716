#include "DemoDesktop/OffscreenApplication.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppButtonStyle.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::app;

namespace {

QPalette paletteWithWindow(const QColor& window) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    return palette;
}

// Sets the application's palette for one test and puts the old one back.
struct ScopedAppearance {
    QPalette saved = QApplication::palette();
    explicit ScopedAppearance(Appearance appearance) { set(appearance); }
    ~ScopedAppearance() { QApplication::setPalette(saved); }
    static void set(Appearance appearance) {
        QApplication::setPalette(
            paletteWithWindow(appearance == Appearance::dark ? QColor(30, 30, 30) : QColor(236, 236, 236)));
    }
};

TEST(AppearanceTest, IsReadOffThePalettesWindowColour) {
    EXPECT_EQ(appearanceOf(paletteWithWindow(QColor(0xEC, 0xEC, 0xEC))), Appearance::light);
    EXPECT_EQ(appearanceOf(paletteWithWindow(Qt::white)), Appearance::light);
    EXPECT_EQ(appearanceOf(paletteWithWindow(QColor(0x1E, 0x1E, 0x1E))), Appearance::dark);
    EXPECT_EQ(appearanceOf(paletteWithWindow(Qt::black)), Appearance::dark);
}

TEST(AppColorTest, EachColourHasItsLightAndDarkValue) {
    struct Case {
        const char* name;
        ThemeColor colour;
        std::uint32_t light, dark;
    };
    const Case cases[] = {
        {"secondaryText", AppColor::secondaryText, 0x4C4C4C, 0xCCCCCC},
        {"warningText", AppColor::warningText, 0x8F4300, 0xFF891F},
        {"errorText", AppColor::errorText, 0xB50004, 0xFF8587},
        {"successText", AppColor::successText, 0x00661A, 0x00C431},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.colour.rgb(Appearance::light), c.light);
        EXPECT_EQ(c.colour.rgb(Appearance::dark), c.dark);
        const QColor dark = c.colour.resolved(Appearance::dark);
        EXPECT_EQ(dark.alpha(), 255);
        EXPECT_EQ(dark.red(), static_cast<int>((c.dark >> 16) & 0xFF));
        EXPECT_EQ(dark.green(), static_cast<int>((c.dark >> 8) & 0xFF));
        EXPECT_EQ(dark.blue(), static_cast<int>(c.dark & 0xFF));
    }
}

TEST(AppFontTest, SizesAndWeightsAreTheThemes) {
    pellacor::testing::offscreenApplication();
    struct Case {
        const char* name;
        const QFont& font;
        int size;
        QFont::Weight weight;
    };
    const Case cases[] = {
        {"heading", AppFont::heading(), 15, QFont::DemiBold},
        {"body", AppFont::body(), 15, QFont::Normal},
        {"secondary", AppFont::secondary(), 14, QFont::Normal},
        {"aboutName", AppFont::aboutName(), 22, QFont::DemiBold},
        {"nsBody", AppFont::nsBody(), 15, QFont::Normal},
        {"nsBodyEmphasis", AppFont::nsBodyEmphasis(), 15, QFont::DemiBold},
        {"nsHelpTitle", AppFont::nsHelpTitle(), 24, QFont::DemiBold},
        {"nsHelpGroup", AppFont::nsHelpGroup(), 21, QFont::Bold},
        {"nsHelpItem", AppFont::nsHelpItem(), 18, QFont::DemiBold},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.font.pixelSize(), c.size);
        EXPECT_EQ(c.font.weight(), c.weight);
    }
    // Made once and shared.
    EXPECT_EQ(&AppFont::nsBody(), &AppFont::nsBody());
}

// The look table of the button style: every combination of kind, enabled and
// pressed, in both appearances.
TEST(AppButtonStyleTest, LookTable) {
    struct Case {
        const char* name;
        bool prominent, enabled, pressed;
        Appearance appearance;
        ButtonLook look;
    };
    const auto L = Appearance::light;
    const auto D = Appearance::dark;
    const Case cases[] = {
        {"plain light", false, true, false, L, {0x1E1E1E, 0xFFFFFF, 1, 0x767676, false, 1}},
        {"plain dark", false, true, false, D, {0xF2F2F2, 0x3A3A3A, 1, 0x9A9A9A, false, 1}},
        {"plain pressed light", false, true, true, L, {0x1E1E1E, 0xFFFFFF, 0.8, 0x767676, false, 0.97}},
        {"prominent light", true, true, false, L, {0xFFFFFF, 0x0A4AA6, 1, std::nullopt, false, 1}},
        {"prominent dark", true, true, false, D, {0x000000, 0x8CC4FF, 1, std::nullopt, false, 1}},
        {"prominent pressed dark", true, true, true, D, {0x000000, 0x8CC4FF, 1, std::nullopt, false, 0.97}},
        {"plain disabled light", false, false, false, L, {0x4A4A4A, std::nullopt, 1, 0x767676, true, 1}},
        {"plain disabled dark", false, false, false, D, {0xC4C4C4, std::nullopt, 1, 0x9A9A9A, true, 1}},
        {"prominent disabled light", true, false, false, L, {0x4A4A4A, std::nullopt, 1, 0x767676, true, 1}},
        {"prominent disabled dark", true, false, false, D, {0xC4C4C4, std::nullopt, 1, 0x9A9A9A, true, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AppButtonStyle{c.prominent}.look(c.enabled, c.pressed, c.appearance), c.look);
    }
}

// The button draws what its look says, and follows a change of appearance
// without being told.
TEST(AppButtonTest, DrawsItsLookAndFollowsTheAppearance) {
    pellacor::testing::offscreenApplication();
    ScopedAppearance appearance(Appearance::light);
    AppButton button(QStringLiteral("続ける"), true);
    button.resize(button.sizeHint());
    const QPoint inside(4, button.height() / 2);
    EXPECT_EQ(button.grab().toImage().pixelColor(inside), QColor(0x0A4AA6));
    ScopedAppearance::set(Appearance::dark);
    QCoreApplication::processEvents();
    EXPECT_EQ(button.currentLook().fill, 0x8CC4FFU);
    EXPECT_EQ(button.grab().toImage().pixelColor(inside), QColor(0x8CC4FF));
    button.setEnabled(false);
    EXPECT_EQ(button.currentLook().fill, std::nullopt);
    EXPECT_NE(button.grab().toImage().pixelColor(inside), QColor(0x8CC4FF))
        << "a disabled button has no fill";
}

TEST(ThemeViewsTest, SecondaryTextFollowsTheAppearance) {
    pellacor::testing::offscreenApplication();
    ScopedAppearance appearance(Appearance::light);
    QLabel label(QStringLiteral("説明"));
    appSecondary(label);
    EXPECT_EQ(label.font().pixelSize(), 14);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x4C4C4C));
    ScopedAppearance::set(Appearance::dark);
    QCoreApplication::processEvents();
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0xCCCCCC));

    QLabel heading;
    appHeading(heading);
    EXPECT_EQ(heading.font().weight(), QFont::DemiBold);
    std::unique_ptr<AppButton> button(appButton(QStringLiteral("OK"), true));
    EXPECT_TRUE(button->style().prominent);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
