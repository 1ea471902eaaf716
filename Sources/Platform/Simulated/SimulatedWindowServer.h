#pragma once

#include "Platform/DisplayList.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/WindowList.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace pellacor::platform {

// The window server of the simulated desktop: its window list (every window of
// a running process, front to back) and its active displays, one per screen,
// numbered from 1 in the desktop's screen order, with their bounds in global
// top-down coordinates. Either can be made to fail, as a busy or confused window
// server does. Thread-safe.
class SimulatedWindowServer final : public WindowList, public DisplayList {
public:
    explicit SimulatedWindowServer(std::shared_ptr<const SimulatedDesktop> desktop);

    std::optional<std::vector<WindowDescription>> copyWindowInfo(std::uint32_t options,
                                                                 std::uint32_t relativeToWindow) override;

    Count activeDisplayCount() override;
    List activeDisplayList(std::uint32_t maxDisplays) override;
    core::Rect displayBounds(std::uint32_t display) override;

    // While set, the window list answers nothing.
    void setWindowListFails(bool fails) { windowListFails_ = fails; }
    // While not `success`, both display-list calls answer this code and no displays.
    void setDisplayListError(std::int32_t code) { displayListError_ = code; }

private:
    std::shared_ptr<const SimulatedDesktop> desktop_;
    std::atomic<bool> windowListFails_{false};
    std::atomic<std::int32_t> displayListError_{DisplayList::success};
};

} // namespace pellacor::platform
