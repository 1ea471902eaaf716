#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>
#include <optional>

namespace pellacor::platform {

// The program's own windows and menus as the window server lists them: the
// shell announces each while it is open, so whatever reads the window list
// (the sensors) sees what the system would. Bounds are top-down (origin at the
// top left of the first screen, y down). Main thread only.
class ProgramWindows {
public:
    // The layer of pop-up menus; ordinary windows stand on layer 0.
    static constexpr std::int64_t menuLayer = 101;

    virtual ~ProgramWindows() = default;

    // A window of the program is open now; its window number, or nothing when
    // the program's process is not known to the window server.
    virtual std::optional<std::uint32_t> windowOpened(std::int64_t layer, const core::Rect& bounds) = 0;
    virtual void windowMoved(std::uint32_t number, const core::Rect& bounds) = 0;
    virtual void windowClosed(std::uint32_t number) = 0;

protected:
    ProgramWindows() = default;
    ProgramWindows(const ProgramWindows&) = default;
    ProgramWindows& operator=(const ProgramWindows&) = default;
};

} // namespace pellacor::platform
