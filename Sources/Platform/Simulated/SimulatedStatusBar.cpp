#include "Platform/Simulated/SimulatedStatusBar.h"

#include "Platform/PreferencesDomain.h"
#include "Platform/Simulated/MenuBarLayout.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedInput.h"
#include "Platform/Simulated/SimulatedProgramStatusItem.h"

#include <algorithm>

namespace pellacor::platform {

SimulatedStatusBar::SimulatedStatusBar(std::shared_ptr<SimulatedDesktop> desktop,
                                       std::shared_ptr<SimulatedInput> input,
                                       std::shared_ptr<PreferencesDomain> preferences,
                                       std::string bundleIdentifier)
    : desktop_(std::move(desktop)), input_(std::move(input)), preferences_(std::move(preferences)),
      bundleIdentifier_(std::move(bundleIdentifier)) {}

std::shared_ptr<SimulatedStatusBar> SimulatedStatusBar::create(std::shared_ptr<SimulatedDesktop> desktop,
                                                               std::shared_ptr<SimulatedInput> input,
                                                               std::shared_ptr<PreferencesDomain> preferences,
                                                               std::string bundleIdentifier) {
    std::shared_ptr<SimulatedStatusBar> bar(new SimulatedStatusBar(
        std::move(desktop), std::move(input), std::move(preferences), std::move(bundleIdentifier)));
    std::weak_ptr<SimulatedStatusBar> weak = bar;
    bar->desktop_->setPressObserver([weak](const SimulatedDesktop::Press& press) {
        if (auto strong = weak.lock()) {
            strong->pressed(press.processIdentifier, press.index, press.button);
        }
    });
    return bar;
}

SimulatedStatusBar::~SimulatedStatusBar() {
    desktop_->setPressObserver(nullptr);
}

std::filesystem::path SimulatedStatusBar::domainFile(const std::filesystem::path& home,
                                                     const std::string& bundleIdentifier) {
    return home / "Library/Preferences" / (bundleIdentifier + ".plist");
}

std::string SimulatedStatusBar::preferredPositionKey(const std::string& autosaveName) {
    return "NSStatusItem Preferred Position " + autosaveName;
}

std::shared_ptr<StatusItem> SimulatedStatusBar::statusItem(double length) {
    if (length <= 0 && length != StatusItem::squareLength && length != StatusItem::variableLength) {
        return nullptr;
    }
    std::shared_ptr<SimulatedProgramStatusItem> item;
    {
        std::lock_guard lock(mutex_);
        item = std::make_shared<SimulatedProgramStatusItem>(weak_from_this(), length, nextWindowNumber_++);
        items_.push_back(item);
    }
    publish();
    return item;
}

void SimulatedStatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
    {
        std::lock_guard lock(mutex_);
        std::erase_if(items_, [&](const auto& own) { return own == item; });
    }
    publish();
}

void SimulatedStatusBar::publish() {
    const auto self = desktop_->runningApplication(bundleIdentifier_);
    if (!self) {
        return;
    }
    std::vector<std::shared_ptr<SimulatedProgramStatusItem>> items;
    {
        std::lock_guard lock(mutex_);
        items = items_;
    }
    const auto home = desktop_->homeFolder();
    std::vector<SimulatedStatusItem> shown;
    std::vector<std::weak_ptr<SimulatedProgramStatusItem>> published;
    for (const auto& item : items) {
        if (!item->isVisible()) {
            continue;
        }
        SimulatedStatusItem entry;
        entry.identifier = item->accessibilityIdentifier();
        entry.description = item->accessibilityLabel();
        if (!item->title().empty()) {
            entry.title = item->title();
        }
        entry.width = item->width(thickness());
        entry.name = item->autosaveName();
        entry.image = item->image();
        entry.menu.opens = SimulatedMenu::Opening::never;
        if (entry.name && !home.empty() && preferences_) {
            const auto value = preferences_->copyValue(preferredPositionKey(*entry.name),
                                                       domainFile(home, bundleIdentifier_).string());
            if (value) {
                if (auto real = value->realValue()) {
                    entry.preferredPosition = *real;
                } else if (auto integer = value->integerValue()) {
                    entry.preferredPosition = static_cast<double>(*integer);
                }
            }
        }
        shown.push_back(std::move(entry));
        published.push_back(item);
    }
    {
        std::lock_guard lock(mutex_);
        published_ = std::move(published);
    }
    desktop_->setStatusItems(self->processIdentifier, std::move(shown));
}

std::optional<core::Rect> SimulatedStatusBar::frameOf(const SimulatedProgramStatusItem& item) const {
    const auto self = desktop_->runningApplication(bundleIdentifier_);
    if (!self) {
        return std::nullopt;
    }
    std::optional<std::size_t> index;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < published_.size(); ++i) {
            if (published_[i].lock().get() == &item) {
                index = i;
            }
        }
    }
    if (!index) {
        return std::nullopt;
    }
    return MenuBarLayout::frameOf(desktop_->menuBarItems(), *self, *index);
}

core::Rect SimulatedStatusBar::screenFrameOf(const SimulatedProgramStatusItem& item) const {
    const auto first = desktop_->screens().front().frame.standardized();
    if (auto frame = frameOf(item)) {
        return core::convertScreenSpace(*frame, first);
    }
    // Off the bar the system keeps the window beyond the screen's left edge.
    const double width = item.width(thickness());
    return core::Rect(first.minX() - width, first.maxY() - thickness(), width, thickness());
}

void SimulatedStatusBar::pressed(std::int32_t processIdentifier, std::size_t index, std::uint32_t button) {
    const auto self = desktop_->runningApplication(bundleIdentifier_);
    if (!self || self->processIdentifier != processIdentifier) {
        return;
    }
    std::shared_ptr<SimulatedProgramStatusItem> item;
    {
        std::lock_guard lock(mutex_);
        if (index < published_.size()) {
            item = published_[index].lock();
        }
    }
    if (!item) {
        return;
    }
    const auto kind = button == InputState::rightButton ? StatusItem::ClickEvent::Kind::rightMouseUp
                                                        : StatusItem::ClickEvent::Kind::leftMouseUp;
    item->click({kind, input_ ? input_->modifierFlags() : 0});
}

} // namespace pellacor::platform
