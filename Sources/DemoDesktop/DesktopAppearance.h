#pragma once

#include <QPalette>

namespace pellacor::demo {

// The system appearance of the simulated desktop. Programs on a real desktop
// draw in the system's appearance and follow it when the person switches it;
// here the application's palette stands for it, so switching the desktop's
// appearance sets the palette, and every window, panel and menu of the program
// that reads its colours from the palette (or follows its changes) goes along.
class DesktopAppearance {
public:
    // The palette of the light or the dark appearance.
    static QPalette palette(bool dark);
    // Makes it the application's palette.
    static void apply(bool dark);
};

} // namespace pellacor::demo
