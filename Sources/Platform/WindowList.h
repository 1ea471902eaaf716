#pragma once

#include "Platform/WindowDescription.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pellacor::platform {

// The window server's list of windows (the window-list copy call). May be
// called from any thread.
class WindowList {
public:
    // Option bits of `copyWindowInfo`, with the system's values.
    static constexpr std::uint32_t optionAll = 0;
    static constexpr std::uint32_t optionOnScreenOnly = 1U << 0U;
    static constexpr std::uint32_t optionExcludeDesktopElements = 1U << 4U;
    // "Relative to no window".
    static constexpr std::uint32_t nullWindowID = 0;

    virtual ~WindowList() = default;

    // The descriptions of the windows the options select, front to back; nothing
    // when the window server cannot answer.
    virtual std::optional<std::vector<WindowDescription>> copyWindowInfo(std::uint32_t options,
                                                                         std::uint32_t relativeToWindow) = 0;

protected:
    WindowList() = default;
    WindowList(const WindowList&) = default;
    WindowList& operator=(const WindowList&) = default;
};

} // namespace pellacor::platform
