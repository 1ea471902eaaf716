#pragma once

#include "DemoDesktop/DesktopView.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <string>

namespace pellacor::demo {

// What the simulated desktop stands at, told in four lines for whoever drives
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
//   desktop hot keys: <number of registered hot keys>   (always the last line)
// An item or menu without an owner shows as "?".
struct DesktopReport {
    DesktopReport() = delete;

    static std::string of(const platform::SimulatedPlatform& platform, const DesktopView& view);
};

} // namespace pellacor::demo
