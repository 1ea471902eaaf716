#include "Trayvane/Theme/Appearance.h"

#include <QGuiApplication>

namespace pellacor::app {

Appearance appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightnessF() < 0.5 ? Appearance::dark
                                                                                : Appearance::light;
}

Appearance currentAppearance() {
    return appearanceOf(QGuiApplication::palette());
}

} // namespace pellacor::app
