#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace pellacor::app {

// A panel of the program as the window list shows it while it is open, so
// that whatever reads the list (the pointer sensor) sees what the system
// would: listed at its level with its frame, moved with it, taken out when
// it closes (and when this goes). Main thread only.
class ListedPanel {
public:
    ListedPanel(std::shared_ptr<platform::ProgramWindows> programWindows,
                std::shared_ptr<platform::Screens> screens, std::int64_t level);
    ~ListedPanel();
    ListedPanel(const ListedPanel&) = delete;
    ListedPanel& operator=(const ListedPanel&) = delete;

    // Lists the panel at `frame` (screen coordinates, origin at the bottom
    // left of the first screen), or moves it there; nothing without screens.
    void list(const core::Rect& frame);
    void withdraw();
    bool isListed() const { return number_.has_value(); }

private:
    std::shared_ptr<platform::ProgramWindows> programWindows_;
    std::shared_ptr<platform::Screens> screens_;
    std::int64_t level_;
    std::optional<std::uint32_t> number_;
};

} // namespace pellacor::app
