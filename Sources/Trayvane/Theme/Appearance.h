#pragma once

#include <QPalette>

namespace pellacor::app {

// The system appearance the theme colours are resolved for.
enum class Appearance { light, dark };

// Qt 6.4 cannot be asked for the colour scheme, so the appearance is read off
// the palette: a window background darker than mid grey is the dark appearance.
Appearance appearanceOf(const QPalette& palette);
// The appearance of the application's palette now.
Appearance currentAppearance();

} // namespace pellacor::app
