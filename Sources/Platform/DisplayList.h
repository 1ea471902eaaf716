#pragma once

#include "MenuBarCore/Geometry/Geometry.h"

#include <cstdint>
#include <vector>

namespace pellacor::platform {

// The window server's active displays (the active-display-list call and the
// display bounds). May be called from any thread.
class DisplayList {
public:
    // The window server's result codes, with the system's values.
    static constexpr std::int32_t success = 0;
    static constexpr std::int32_t failure = 1000;

    // The number of active displays, as the list call answers without a buffer.
    struct Count {
        std::int32_t error = success;
        std::uint32_t count = 0;
        bool operator==(const Count&) const = default;
    };
    // At most `maxDisplays` display identifiers, the main display first.
    struct List {
        std::int32_t error = success;
        std::vector<std::uint32_t> displays;
        bool operator==(const List&) const = default;
    };

    virtual ~DisplayList() = default;

    virtual Count activeDisplayCount() = 0;
    virtual List activeDisplayList(std::uint32_t maxDisplays) = 0;
    // The display's bounds in global top-down coordinates (origin at the top left
    // of the main display, y down); an empty rectangle at the origin for an
    // unknown display.
    virtual core::Rect displayBounds(std::uint32_t display) = 0;

protected:
    DisplayList() = default;
    DisplayList(const DisplayList&) = default;
    DisplayList& operator=(const DisplayList&) = default;
};

} // namespace pellacor::platform
