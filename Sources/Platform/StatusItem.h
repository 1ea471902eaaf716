#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "Platform/StatusItemImage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::platform {

// One of the program's own status items and its button, as the system status
// bar hands it out. The system places it on the menu bar among everyone's
// items (ordered by the menu bar's layout table and, for an item the table does
// not know, by the position its autosave name was last left at), so it may be
// restricted away, folded by a camera housing or stand anywhere. Main thread only.
class StatusItem {
public:
    // The lengths the system knows by name; any other positive length is in points.
    static constexpr double squareLength = -2;
    static constexpr double variableLength = -1;

    // A click on the button, as its action receives it.
    struct ClickEvent {
        enum class Kind { leftMouseDown, leftMouseUp, rightMouseDown, rightMouseUp };
        Kind kind = Kind::leftMouseUp;
        // The event's modifier flags (InputState's flag bits).
        std::uint64_t modifierFlags = 0;
        bool operator==(const ClickEvent&) const = default;
    };
    using Action = std::function<void(const ClickEvent&)>;
    // Shows a menu at the button's frame (screen coordinates) and returns once it closed.
    using MenuPresenter = std::function<void(const core::Rect& buttonFrame)>;

    // The window the system draws the button in.
    struct ButtonWindow {
        std::uint32_t number = 0;
        core::Rect frame; // screen coordinates (origin bottom left, y up)
        bool operator==(const ButtonWindow&) const = default;
    };

    virtual ~StatusItem() = default;

    virtual double length() const = 0;
    virtual void setLength(double length) = 0;
    virtual std::optional<std::string> autosaveName() const = 0;
    virtual void setAutosaveName(std::optional<std::string> name) = 0;
    // A hidden item leaves the bar; the system remembers where it stood.
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;

    // The button.
    virtual std::optional<StatusItemImage> image() const = 0;
    virtual void setImage(std::optional<StatusItemImage> image) = 0;
    virtual std::string title() const = 0;
    virtual void setTitle(std::string title) = 0;
    virtual std::string toolTip() const = 0;
    virtual void setToolTip(std::string toolTip) = 0;
    virtual std::optional<std::string> accessibilityIdentifier() const = 0;
    virtual void setAccessibilityIdentifier(std::optional<std::string> identifier) = 0;
    virtual std::optional<std::string> accessibilityLabel() const = 0;
    virtual void setAccessibilityLabel(std::optional<std::string> label) = 0;
    // Called with each click the button sends its action on (mouse-up events).
    virtual void setAction(Action action) = 0;
    // Attaches a menu for one click: the button is highlighted and `present`
    // runs, the menu's own loop standing in for the system's; afterwards the
    // menu is detached again, so the next click reaches the action.
    virtual void performClickWithMenu(const MenuPresenter& present) = 0;

    // The button's window; nothing when the system gave the button none.
    virtual std::optional<ButtonWindow> buttonWindow() const = 0;
    // How many copies of the button's window the menu bar holds besides it: one
    // while the item is drawn on the bar, none while it is not.
    virtual int replicaWindowCount() const = 0;

protected:
    StatusItem() = default;
    StatusItem(const StatusItem&) = default;
    StatusItem& operator=(const StatusItem&) = default;
};

} // namespace pellacor::platform
