#pragma once

#include "Platform/StatusItem.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace pellacor::platform {

class SimulatedStatusBar;

// One of the program's status items on the simulated status bar: it keeps what
// the program set and has the bar put it on the desktop after each change.
class SimulatedProgramStatusItem final : public StatusItem {
public:
    SimulatedProgramStatusItem(std::weak_ptr<SimulatedStatusBar> bar, double length,
                               std::uint32_t windowNumber);

    double length() const override;
    void setLength(double length) override;
    std::optional<std::string> autosaveName() const override;
    void setAutosaveName(std::optional<std::string> name) override;
    bool isVisible() const override;
    void setVisible(bool visible) override;
    std::optional<StatusItemImage> image() const override;
    void setImage(std::optional<StatusItemImage> image) override;
    std::string title() const override;
    void setTitle(std::string title) override;
    std::string toolTip() const override;
    void setToolTip(std::string toolTip) override;
    std::optional<std::string> accessibilityIdentifier() const override;
    void setAccessibilityIdentifier(std::optional<std::string> identifier) override;
    std::optional<std::string> accessibilityLabel() const override;
    void setAccessibilityLabel(std::optional<std::string> label) override;
    void setAction(Action action) override;
    void performClickWithMenu(const MenuPresenter& present) override;
    std::optional<ButtonWindow> buttonWindow() const override;
    int replicaWindowCount() const override;

    // The width the bar gives it: a square item is as wide as the bar is
    // thick, a variable one fits its image and title.
    double width(double thickness) const;
    // Whether a menu is attached for a click now (the button shows highlighted).
    bool isHighlighted() const;
    // A click on the button reaches its action.
    void click(const ClickEvent& event);

private:
    template <typename Value> Value read(const Value& member) const;
    template <typename Value> void store(Value& member, Value value);
    void changed();

    std::weak_ptr<SimulatedStatusBar> bar_;
    std::uint32_t windowNumber_;
    mutable std::mutex mutex_;
    double length_;
    std::optional<std::string> autosaveName_;
    bool visible_ = true;
    std::optional<StatusItemImage> image_;
    std::string title_;
    std::string toolTip_;
    std::optional<std::string> accessibilityIdentifier_;
    std::optional<std::string> accessibilityLabel_;
    Action action_;
    bool highlighted_ = false;
};

} // namespace pellacor::platform
