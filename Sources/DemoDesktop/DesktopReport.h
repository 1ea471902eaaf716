#pragma once

#include "DemoDesktop/DesktopView.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <string>

namespace pellacor::demo {

// What the simulated desktop stands at, told in three lines for whoever drives
// the demo from outside (a test under a virtual display):
//   desktop bar: <owner>@<x>,<y> …   every item on the bar, left to right, at
//                                     the centre of where the view draws it, in
//                                     real screen pixels
//   desktop restriction: none | <bundle identifier>,… | (system items only)
//   desktop hot keys: <number of registered hot keys>
// An item without an owner shows as "?".
struct DesktopReport {
    DesktopReport() = delete;

    static std::string of(const platform::SimulatedPlatform& platform, const DesktopView& view);
};

} // namespace pellacor::demo
