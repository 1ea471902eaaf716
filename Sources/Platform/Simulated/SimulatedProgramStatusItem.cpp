#include "Platform/Simulated/SimulatedProgramStatusItem.h"

#include "Platform/Simulated/SimulatedStatusBar.h"

#include <algorithm>

namespace pellacor::platform {

namespace {

// Roughly the width of the bar's font per character, and the button's margins.
constexpr double characterWidth = 7;
constexpr double margin = 8;

std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

SimulatedProgramStatusItem::SimulatedProgramStatusItem(std::weak_ptr<SimulatedStatusBar> bar, double length,
                                                       std::uint32_t windowNumber)
    : bar_(std::move(bar)), windowNumber_(windowNumber), length_(length) {}

template <typename Value> Value SimulatedProgramStatusItem::read(const Value& member) const {
    std::lock_guard lock(mutex_);
    return member;
}

// Stores a changed property and has the bar put the item on the desktop anew.
template <typename Value> void SimulatedProgramStatusItem::store(Value& member, Value value) {
    {
        std::lock_guard lock(mutex_);
        if (member == value) {
            return;
        }
        member = std::move(value);
    }
    changed();
}

double SimulatedProgramStatusItem::length() const {
    return read(length_);
}

void SimulatedProgramStatusItem::setLength(double value) {
    store(length_, value);
}

std::optional<std::string> SimulatedProgramStatusItem::autosaveName() const {
    return read(autosaveName_);
}

void SimulatedProgramStatusItem::setAutosaveName(std::optional<std::string> value) {
    store(autosaveName_, std::move(value));
}

bool SimulatedProgramStatusItem::isVisible() const {
    return read(visible_);
}

void SimulatedProgramStatusItem::setVisible(bool value) {
    store(visible_, value);
}

std::optional<StatusItemImage> SimulatedProgramStatusItem::image() const {
    return read(image_);
}

void SimulatedProgramStatusItem::setImage(std::optional<StatusItemImage> value) {
    store(image_, std::move(value));
}

std::string SimulatedProgramStatusItem::title() const {
    return read(title_);
}

void SimulatedProgramStatusItem::setTitle(std::string value) {
    store(title_, std::move(value));
}

std::string SimulatedProgramStatusItem::toolTip() const {
    return read(toolTip_);
}

void SimulatedProgramStatusItem::setToolTip(std::string value) {
    store(toolTip_, std::move(value));
}

std::optional<std::string> SimulatedProgramStatusItem::accessibilityIdentifier() const {
    return read(accessibilityIdentifier_);
}

void SimulatedProgramStatusItem::setAccessibilityIdentifier(std::optional<std::string> value) {
    store(accessibilityIdentifier_, std::move(value));
}

std::optional<std::string> SimulatedProgramStatusItem::accessibilityLabel() const {
    return read(accessibilityLabel_);
}

void SimulatedProgramStatusItem::setAccessibilityLabel(std::optional<std::string> value) {
    store(accessibilityLabel_, std::move(value));
}

void SimulatedProgramStatusItem::setAction(Action action) {
    std::lock_guard lock(mutex_);
    action_ = std::move(action);
}

void SimulatedProgramStatusItem::click(const ClickEvent& event) {
    Action action;
    {
        std::lock_guard lock(mutex_);
        // With a menu attached the click belongs to the menu, not the action.
        if (highlighted_) {
            return;
        }
        action = action_;
    }
    if (action) {
        action(event);
    }
}

void SimulatedProgramStatusItem::performClickWithMenu(const MenuPresenter& present) {
    const auto window = buttonWindow();
    {
        std::lock_guard lock(mutex_);
        highlighted_ = true;
    }
    changed();
    if (present) {
        present(window ? window->frame : core::Rect());
    }
    {
        std::lock_guard lock(mutex_);
        highlighted_ = false;
    }
    changed();
}

bool SimulatedProgramStatusItem::isHighlighted() const {
    std::lock_guard lock(mutex_);
    return highlighted_;
}

std::optional<StatusItem::ButtonWindow> SimulatedProgramStatusItem::buttonWindow() const {
    auto bar = bar_.lock();
    if (!bar) {
        return std::nullopt;
    }
    return ButtonWindow{windowNumber_, bar->screenFrameOf(*this)};
}

int SimulatedProgramStatusItem::replicaWindowCount() const {
    auto bar = bar_.lock();
    return bar && bar->frameOf(*this) ? 1 : 0;
}

double SimulatedProgramStatusItem::width(double thickness) const {
    std::lock_guard lock(mutex_);
    if (length_ == squareLength) {
        return thickness;
    }
    if (length_ != variableLength) {
        return std::max(0.0, length_);
    }
    double content = 0;
    if (image_ && image_->isWellFormed()) {
        content += image_->width / image_->scale;
    }
    if (!title_.empty()) {
        content += (content > 0 ? 4 : 0) + characterWidth * static_cast<double>(characters(title_));
    }
    return content + margin;
}

void SimulatedProgramStatusItem::changed() {
    if (auto bar = bar_.lock()) {
        bar->publish();
    }
}

} // namespace pellacor::platform
