#pragma once

#include "MenuBarCore/Model/Profile.h"
#include "Platform/Simulated/Scenario.h"

#include <cstdint>
#include <string>

namespace pellacor::bench {

// A desktop of `apps` running applications with `itemsEach` status items each
// (every tenth one Apple's), beside the system's clock and the program, on one
// wide plain screen; and a profile that puts the applications in the three
// sections in turn.
platform::Scenario crowdedDesktop(std::int64_t apps, std::int64_t itemsEach);
core::Profile crowdedProfile(std::int64_t apps);
// The bundle identifier of the crowded desktop's `index`-th application.
std::string crowdedApp(std::int64_t index);

} // namespace pellacor::bench
