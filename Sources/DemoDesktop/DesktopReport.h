#pragma once

#include "DemoDesktop/DesktopView.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <string>

namespace pellacor::demo {

// What the simulated desktop stands at, told in five lines for whoever drives
// the demo from outside (a test under a virtual display):
//   desktop bar: <owner>@<x>,<y> …   every item on the bar, left to right, at
//                                     the centre of where the view draws it, in
//                                     real screen pixels
//   desktop restriction: none | <bundle identifier>,… | (system items only)
//   desktop menus: none | <owner>@<x>,<y>:<since> …   the menus of the
//                                     simulated applications the view draws
//                                     now, front to back, at their centres, with
//                                     since when it draws each (milliseconds
//                                     since the epoch)
//   desktop controls: none | <name>@<x>,<y> …   every visible, enabled widget
//                                     of the process's visible windows that
//                                     has an object name (Qt's own "qt_…"
//                                     pieces left out), and every such entry
//                                     of an open menu, at the centre of its
//                                     part that can be seen, in screen pixels;
//                                     windows in the order of their names,
//                                     each window before its widgets; a space
//                                     in a name shows as "%20", a "%" as "%25"
//   desktop hot keys: <number of registered hot keys>   (always the last line)
// An item or menu without an owner shows as "?".
struct DesktopReport {
    DesktopReport() = delete;

    static std::string of(const platform::SimulatedPlatform& platform, const DesktopView& view);
};

} // namespace pellacor::demo
