#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarSystem/Pressing/PressAccessibility.h"
#include "Platform/Accessibility.h"
#include "Platform/DisplayList.h"
#include "Platform/PlatformServices.h"
#include "Platform/WindowList.h"
#include "Platform/Workspace.h"

#include <memory>
#include <optional>
#include <vector>

namespace pellacor::system {

// The presser's operations over the platform's accessibility interface, the
// workspace and the window server. Keeps no state of its own; every call stands
// alone and may block for up to its messaging time-outs (a walk over many
// status items up to `readTimeout` per item). Nothing is logged: every failure
// is folded into the result.
class SystemPressAccessibility final : public PressAccessibility {
public:
    // The time-out, in seconds, of every structural read: the application
    // element, its extras menu bar and each status item asked for its identifier
    // or its frame.
    static constexpr float readTimeout = 0.25F;
    // The error a press may answer and still count as delivered: the item took
    // longer than the caller waits.
    static constexpr std::int32_t cannotCompleteCode = platform::AccessibilityError::cannotComplete;

    SystemPressAccessibility(std::shared_ptr<platform::Accessibility> accessibility,
                             std::shared_ptr<platform::Workspace> workspace,
                             std::shared_ptr<platform::WindowList> windowList,
                             std::shared_ptr<platform::DisplayList> displayList);
    explicit SystemPressAccessibility(const platform::PlatformServices& services);

    bool isTrusted() override;
    std::vector<std::int32_t> pids(const std::string& bundleID) override;
    std::optional<WindowNumbers> windows(std::int32_t pid) override;
    std::optional<bool> isPlaced(std::int32_t pid, int index) override;
    PressCall press(std::int32_t pid, const std::string& identifier, float timeout) override;
    PressCall press(std::int32_t pid, int index, float timeout) override;
    SystemItemLookup lookup(std::int32_t pid, const std::string& identifier) override;

    // The status item at `index` of the process, with `timeout` set on every
    // element on the way; nothing when the extras menu bar or its children cannot
    // be read, or the index is out of range.
    std::optional<platform::AccessibilityElement> item(std::int32_t pid, int index, float timeout);

    // The bounds of the active displays in global top-down coordinates, in the
    // window server's order; empty when the list cannot be read.
    static std::vector<core::Rect> displayBounds(platform::DisplayList& displays);
    // Whether a frame (top-down) sits in the menu bar of one of the displays: it
    // has an area, its horizontal middle lies within the display, and its top
    // edge lies from 2 points above the display's top to less than 60 below it.
    static bool isInMenuBar(const core::Rect& frame, const std::vector<core::Rect>& displays);
    // The status items of a process (its extras menu bar's children), each
    // element asked with `readTimeout`; nothing when they cannot be read.
    static std::optional<std::vector<platform::AccessibilityElement>>
    children(platform::Accessibility& accessibility, std::int32_t pid);
    // The element that takes the press: the item itself, unless it is a group
    // around an inner menu-bar item and does not offer "AXPress" itself (or its
    // actions cannot be read); then the inner item. Sets `timeout` on the item.
    static platform::AccessibilityElement pressable(platform::Accessibility& accessibility,
                                                    const platform::AccessibilityElement& element,
                                                    float timeout);

private:
    PressCall deliver(const platform::AccessibilityElement& element, float timeout);
    // The item's identifier, or its inner menu-bar item's when its own does not read.
    std::optional<std::string> identifier(const platform::AccessibilityElement& element);

    std::shared_ptr<platform::Accessibility> accessibility_;
    std::shared_ptr<platform::Workspace> workspace_;
    std::shared_ptr<platform::WindowList> windowList_;
    std::shared_ptr<platform::DisplayList> displayList_;
};

} // namespace pellacor::system
