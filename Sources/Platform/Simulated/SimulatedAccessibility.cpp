#include "Platform/Simulated/SimulatedAccessibility.h"

#include "Platform/AccessibilityName.h"
#include "Platform/Simulated/MenuBarLayout.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

namespace pellacor::platform {

namespace {

using Name = AccessibilityName;
using CopyResult = Accessibility::CopyResult;

// What a simulated element stands for: an application, its extras menu bar, one
// of its items (by position) or a group item's inner menu-bar item.
class ElementReference final : public AccessibilityElement::Reference {
public:
    enum class Kind { application, extrasMenuBar, item, innerItem };

    ElementReference(const void* owner, std::int32_t pid, Kind kind, std::size_t index)
        : owner(owner), pid(pid), kind(kind), index(index) {}

    const void* const owner; // the SimulatedAccessibility that made it
    const std::int32_t pid;
    const Kind kind;
    const std::size_t index;
    std::atomic<float> timeout{0}; // 0: the default

    static AccessibilityElement make(const void* owner, std::int32_t pid, Kind kind, std::size_t index = 0) {
        return AccessibilityElement(std::make_shared<ElementReference>(owner, pid, kind, index));
    }
};

ElementReference* referenceOf(const AccessibilityElement& element, const void* owner) {
    auto* reference = dynamic_cast<ElementReference*>(element.reference().get());
    return reference != nullptr && reference->owner == owner ? reference : nullptr;
}

// The window layer of the menu bar: windows above it stand in front of the bar.
constexpr std::int64_t menuBarLayer = 24;

// An element that belongs to no application's status items: the system-wide
// element, or what a hit test finds besides items: the bare menu-bar strip of
// a screen, an open menu or another window.
class WideReference final : public AccessibilityElement::Reference {
public:
    enum class Kind { systemWide, menuBar, menu, window };

    WideReference(const void* owner, Kind kind, std::int32_t pid) : owner(owner), kind(kind), pid(pid) {}

    const void* const owner; // the SimulatedAccessibility that made it
    const Kind kind;
    const std::int32_t pid; // the process it belongs to; 0 for the system-wide element
    std::atomic<float> timeout{0};

    static AccessibilityElement make(const void* owner, Kind kind, std::int32_t pid = 0) {
        return AccessibilityElement(std::make_shared<WideReference>(owner, kind, pid));
    }
};

WideReference* wideReferenceOf(const AccessibilityElement& element, const void* owner) {
    auto* reference = dynamic_cast<WideReference*>(element.reference().get());
    return reference != nullptr && reference->owner == owner ? reference : nullptr;
}

// The index among its owner's items of the placed item at `target`, matching
// placed copies to items the way the bar places them: equal items of one owner
// stand in their own order, so the n-th placed copy is the n-th in the list.
std::optional<std::size_t> indexOfPlaced(const std::vector<PlacedStatusItem>& placed, std::size_t target,
                                         const SimulatedApplication& app) {
    std::vector<bool> taken(app.statusItems.size(), false);
    for (std::size_t position = placed.size(); position-- > 0;) {
        if (placed[position].ownerProcessIdentifier != app.processIdentifier) {
            continue;
        }
        for (std::size_t i = 0; i < app.statusItems.size(); ++i) {
            if (!taken[i] && app.statusItems[i] == placed[position].item) {
                taken[i] = true;
                if (position == target) {
                    return i;
                }
                break;
            }
        }
    }
    return std::nullopt;
}

bool isGroup(const SimulatedStatusItem& item) {
    return item.role == Name::groupRole;
}

CopyResult value(AccessibilityValue::Content content) {
    return CopyResult{AccessibilityError::success, AccessibilityValue{std::move(content)}};
}

CopyResult error(std::int32_t code) {
    return CopyResult{code, std::nullopt};
}

CopyResult text(const std::optional<std::string>& text) {
    return text ? value(*text) : error(AccessibilityError::noValue);
}

// Whether the element still exists in the application; `item` is set to its
// status item when it is one (or a group's inner item).
bool resolveItem(const SimulatedApplication& app, const ElementReference& reference,
                 const SimulatedStatusItem*& item) {
    using Kind = ElementReference::Kind;
    item = nullptr;
    switch (reference.kind) {
    case Kind::application:
        return true;
    case Kind::extrasMenuBar:
        return !app.statusItems.empty();
    case Kind::item:
    case Kind::innerItem:
        if (reference.index >= app.statusItems.size()) {
            return false;
        }
        item = &app.statusItems[reference.index];
        return reference.kind == Kind::item || isGroup(*item);
    }
    return false;
}

// The actions an element offers: a group's inner item is always pressable.
std::vector<std::string> actionsOf(const ElementReference& reference, const SimulatedStatusItem* item) {
    switch (reference.kind) {
    case ElementReference::Kind::application:
    case ElementReference::Kind::extrasMenuBar:
        return {};
    case ElementReference::Kind::item:
        return item != nullptr ? item->accessibility.actions : std::vector<std::string>{};
    case ElementReference::Kind::innerItem:
        return {std::string(Name::pressAction)};
    }
    return {};
}

} // namespace

SimulatedAccessibility::SimulatedAccessibility(std::shared_ptr<SimulatedDesktop> desktop, bool trusted,
                                               Spend spend)
    : desktop_(std::move(desktop)), trusted_(trusted), spend_(std::move(spend)) {}

SimulatedAccessibility::Spend SimulatedAccessibility::realSleep() {
    return [](std::chrono::nanoseconds time) { std::this_thread::sleep_for(time); };
}

void SimulatedAccessibility::setTrusted(bool trusted) {
    trusted_ = trusted;
}

void SimulatedAccessibility::setSpend(Spend spend) {
    std::lock_guard lock(mutex_);
    spend_ = std::move(spend);
}

bool SimulatedAccessibility::isProcessTrusted() {
    return trusted_;
}

AccessibilityElement SimulatedAccessibility::createApplication(std::int32_t processIdentifier) {
    return ElementReference::make(this, processIdentifier, ElementReference::Kind::application);
}

AccessibilityElement SimulatedAccessibility::createSystemWide() {
    return WideReference::make(this, WideReference::Kind::systemWide);
}

Accessibility::ElementResult
SimulatedAccessibility::copyElementAtPosition(const AccessibilityElement& element, float x, float y) {
    // Who asks: the system-wide element sees everything, an application only its own.
    std::optional<std::int32_t> onlyProcess;
    float timeout = 0;
    if (auto* wide = wideReferenceOf(element, this);
        wide != nullptr && wide->kind == WideReference::Kind::systemWide) {
        timeout = wide->timeout;
    } else if (auto* reference = referenceOf(element, this);
               reference != nullptr && reference->kind == ElementReference::Kind::application) {
        onlyProcess = reference->pid;
        timeout = reference->timeout;
    } else {
        return ElementResult{AccessibilityError::illegalArgument, {}};
    }
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return ElementResult{AccessibilityError::illegalArgument, {}};
    }
    const core::Point point{x, y};

    // What is there, front to back: windows above the menu bar (menus), the
    // items on the bar, the bare strip, then the windows below the bar.
    std::optional<std::int32_t> pid;
    std::chrono::milliseconds latency{0};
    AccessibilityElement found;
    const auto windows = desktop_->windows();
    auto windowAt = [&](bool aboveBar) {
        for (const auto& window : windows) {
            if (!window.isOnScreen || window.layer < 0 || (window.layer > menuBarLayer) != aboveBar ||
                !window.bounds.contains(point)) {
                continue;
            }
            const auto app = desktop_->application(window.ownerProcessIdentifier);
            pid = window.ownerProcessIdentifier;
            latency = app ? app->accessibility.latency : std::chrono::milliseconds{0};
            found =
                WideReference::make(this,
                                    window.layer == SimulatedDesktop::menuLayer ? WideReference::Kind::menu
                                                                                : WideReference::Kind::window,
                                    window.ownerProcessIdentifier);
            return true;
        }
        return false;
    };
    auto itemAt = [&] {
        const auto placed = desktop_->menuBarItems();
        for (std::size_t position = 0; position < placed.size(); ++position) {
            const auto& entry = placed[position];
            if (!entry.frame.contains(point)) {
                continue;
            }
            pid = entry.ownerProcessIdentifier;
            const auto app = desktop_->application(entry.ownerProcessIdentifier);
            const auto index = app ? indexOfPlaced(placed, position, *app) : std::nullopt;
            if (index) {
                latency = entry.item.accessibility.latency;
                const auto kind =
                    isGroup(entry.item) ? ElementReference::Kind::innerItem : ElementReference::Kind::item;
                found = ElementReference::make(this, entry.ownerProcessIdentifier, kind, *index);
            }
            return true;
        }
        return false;
    };
    auto stripAt = [&] {
        const auto screens = desktop_->screens();
        const core::Rect first = screens.front().frame.standardized();
        for (const auto& screen : screens) {
            const core::Rect frame = core::convertScreenSpace(screen.frame, first);
            const double height = std::clamp(screen.menuBarHeight, 0.0, frame.height());
            if (!core::Rect(frame.minX(), frame.minY(), frame.width(), height).contains(point)) {
                continue;
            }
            std::int32_t active = 0;
            for (const auto& app : desktop_->runningApplications()) {
                if (app.isActive) {
                    active = app.processIdentifier;
                    break;
                }
            }
            pid = active;
            found = WideReference::make(this, WideReference::Kind::menuBar, active);
            return true;
        }
        return false;
    };
    if (!windowAt(true) && !itemAt() && !stripAt()) {
        windowAt(false);
    }

    if (!found || (onlyProcess && pid != onlyProcess)) {
        return ElementResult{AccessibilityError::noValue, {}};
    }
    if (!answersInTime(latency, timeout)) {
        return ElementResult{AccessibilityError::cannotComplete, {}};
    }
    return ElementResult{AccessibilityError::success, std::move(found)};
}

Accessibility::ProcessResult SimulatedAccessibility::getPid(const AccessibilityElement& element) {
    if (auto* reference = referenceOf(element, this)) {
        return ProcessResult{AccessibilityError::success, reference->pid};
    }
    if (auto* wide = wideReferenceOf(element, this);
        wide != nullptr && wide->kind != WideReference::Kind::systemWide) {
        return ProcessResult{AccessibilityError::success, wide->pid};
    }
    return ProcessResult{AccessibilityError::illegalArgument, 0};
}

bool SimulatedAccessibility::isEqual(const AccessibilityElement& first, const AccessibilityElement& second) {
    if (first == second) {
        return true;
    }
    if (auto* a = referenceOf(first, this)) {
        auto* b = referenceOf(second, this);
        return b != nullptr && a->pid == b->pid && a->kind == b->kind && a->index == b->index;
    }
    auto* a = wideReferenceOf(first, this);
    auto* b = wideReferenceOf(second, this);
    return a != nullptr && b != nullptr && a->kind == WideReference::Kind::systemWide &&
           b->kind == WideReference::Kind::systemWide;
}

std::int32_t SimulatedAccessibility::setMessagingTimeout(const AccessibilityElement& element, float seconds) {
    auto* reference = referenceOf(element, this);
    auto* wide = wideReferenceOf(element, this);
    if ((reference == nullptr && wide == nullptr) || !std::isfinite(seconds) || seconds < 0) {
        return AccessibilityError::illegalArgument;
    }
    (reference != nullptr ? reference->timeout : wide->timeout) = seconds;
    return AccessibilityError::success;
}

bool SimulatedAccessibility::answersInTime(std::chrono::milliseconds latency, float timeout) const {
    const double seconds = timeout > 0 ? timeout : defaultMessagingTimeout;
    const auto limit =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::duration<double>(seconds));
    const bool inTime = latency <= limit;
    const std::chrono::nanoseconds spent = inTime ? std::chrono::nanoseconds(latency) : limit;
    if (spent > std::chrono::nanoseconds::zero()) {
        Spend spend;
        {
            std::lock_guard lock(mutex_);
            spend = spend_;
        }
        if (spend) {
            spend(spent);
        }
    }
    return inTime;
}

Accessibility::CopyResult SimulatedAccessibility::copyAttributeValue(const AccessibilityElement& element,
                                                                     std::string_view attribute) {
    if (auto* wide = wideReferenceOf(element, this)) {
        if (attribute != Name::role) {
            return error(AccessibilityError::attributeUnsupported);
        }
        switch (wide->kind) {
        case WideReference::Kind::systemWide:
            return value(std::string(Name::systemWideRole));
        case WideReference::Kind::menuBar:
            return value(std::string(Name::menuBarRole));
        case WideReference::Kind::menu:
            return value(std::string(Name::menuRole));
        case WideReference::Kind::window:
            return value(std::string(Name::windowRole));
        }
        return error(AccessibilityError::failure);
    }
    using Kind = ElementReference::Kind;
    auto* reference = referenceOf(element, this);
    if (reference == nullptr) {
        return error(AccessibilityError::illegalArgument);
    }
    const auto app = desktop_->application(reference->pid);
    if (!app || !app->isRunning) {
        return error(AccessibilityError::invalidUIElement);
    }
    const SimulatedStatusItem* item = nullptr;
    if (!resolveItem(*app, *reference, item)) {
        return error(AccessibilityError::invalidUIElement);
    }

    const SimulatedElementBehaviour& behaviour = item != nullptr ? item->accessibility : app->accessibility;
    if (!answersInTime(behaviour.latency, reference->timeout)) {
        return error(AccessibilityError::cannotComplete);
    }
    if (auto it = behaviour.attributeErrors.find(std::string(attribute));
        it != behaviour.attributeErrors.end()) {
        return error(it->second);
    }

    const auto pid = reference->pid;
    const auto index = reference->index;
    switch (reference->kind) {
    case Kind::application:
        if (attribute == Name::role) {
            return value(std::string(Name::applicationRole));
        }
        if (attribute == Name::extrasMenuBar) {
            if (app->statusItems.empty()) {
                return error(AccessibilityError::noValue);
            }
            return value(ElementReference::make(this, pid, Kind::extrasMenuBar));
        }
        return error(AccessibilityError::attributeUnsupported);

    case Kind::extrasMenuBar:
        if (attribute == Name::role) {
            return value(std::string(Name::menuBarRole));
        }
        if (attribute == Name::parent) {
            return value(ElementReference::make(this, pid, Kind::application));
        }
        if (attribute == Name::children) {
            AccessibilityValue::Array children;
            std::optional<std::vector<PlacedStatusItem>> placed;
            for (std::size_t i = 0; i < app->statusItems.size(); ++i) {
                // The overflow chevron exists only while it stands on the bar, and an
                // item that leaves the bar under a restriction is gone with it: the
                // system removes both, so neither has a place off the bar that a
                // reader could mistake for the leftmost of the owner's items.
                const auto& statusItem = app->statusItems[i];
                if (statusItem.isOverflowChevron || statusItem.hiddenWhileRestricted) {
                    if (!placed) {
                        placed = desktop_->menuBarItems();
                    }
                    if (!MenuBarLayout::frameOf(*placed, *app, i)) {
                        continue;
                    }
                }
                children.push_back(AccessibilityValue{ElementReference::make(this, pid, Kind::item, i)});
            }
            return value(std::move(children));
        }
        return error(AccessibilityError::attributeUnsupported);

    case Kind::item:
    case Kind::innerItem: {
        const bool isOuterGroup = reference->kind == Kind::item && isGroup(*item);
        if (attribute == Name::role) {
            return value(isOuterGroup                         ? std::string(Name::groupRole)
                         : reference->kind == Kind::innerItem ? std::string(Name::menuBarItemRole)
                                                              : item->role);
        }
        if (attribute == Name::identifier || attribute == Name::description || attribute == Name::title) {
            if (isOuterGroup) {
                return error(AccessibilityError::noValue);
            }
            return text(attribute == Name::identifier    ? item->identifier
                        : attribute == Name::description ? item->description
                                                         : item->title);
        }
        if (attribute == Name::position || attribute == Name::size) {
            const auto frame = MenuBarLayout::frameOf(desktop_->menuBarItems(), *app, index);
            if (attribute == Name::position) {
                return value(frame ? frame->origin : offBarPosition);
            }
            return value(frame ? frame->size : core::Size{item->width, desktop_->mainScreen().menuBarHeight});
        }
        if (attribute == Name::parent) {
            return value(reference->kind == Kind::innerItem
                             ? ElementReference::make(this, pid, Kind::item, index)
                             : ElementReference::make(this, pid, Kind::extrasMenuBar));
        }
        if (attribute == Name::children) {
            AccessibilityValue::Array children;
            if (isOuterGroup) {
                children.push_back(
                    AccessibilityValue{ElementReference::make(this, pid, Kind::innerItem, index)});
            }
            return value(std::move(children));
        }
        return error(AccessibilityError::attributeUnsupported);
    }
    }
    return error(AccessibilityError::failure);
}

Accessibility::CopyResult SimulatedAccessibility::copyActionNames(const AccessibilityElement& element) {
    auto* reference = referenceOf(element, this);
    if (reference == nullptr) {
        return error(AccessibilityError::illegalArgument);
    }
    const auto app = desktop_->application(reference->pid);
    const SimulatedStatusItem* item = nullptr;
    if (!app || !app->isRunning || !resolveItem(*app, *reference, item)) {
        return error(AccessibilityError::invalidUIElement);
    }
    const SimulatedElementBehaviour& behaviour = item != nullptr ? item->accessibility : app->accessibility;
    if (!answersInTime(behaviour.latency, reference->timeout)) {
        return error(AccessibilityError::cannotComplete);
    }
    if (behaviour.actionNamesError != AccessibilityError::success) {
        return error(behaviour.actionNamesError);
    }
    AccessibilityValue::Array names;
    for (auto& name : actionsOf(*reference, item)) {
        names.push_back(AccessibilityValue{std::move(name)});
    }
    return value(std::move(names));
}

std::int32_t SimulatedAccessibility::performAction(const AccessibilityElement& element,
                                                   std::string_view action) {
    auto* reference = referenceOf(element, this);
    if (reference == nullptr) {
        return AccessibilityError::illegalArgument;
    }
    const auto app = desktop_->application(reference->pid);
    const SimulatedStatusItem* item = nullptr;
    if (!app || !app->isRunning || !resolveItem(*app, *reference, item)) {
        return AccessibilityError::invalidUIElement;
    }
    const SimulatedElementBehaviour& behaviour = item != nullptr ? item->accessibility : app->accessibility;
    const bool inTime = answersInTime(behaviour.latency, reference->timeout);
    const auto actions = actionsOf(*reference, item);
    if (std::find(actions.begin(), actions.end(), action) == actions.end()) {
        return inTime ? AccessibilityError::actionUnsupported : AccessibilityError::cannotComplete;
    }
    std::int32_t code = AccessibilityError::success;
    if (auto it = behaviour.actionErrors.find(std::string(action)); it != behaviour.actionErrors.end()) {
        code = it->second;
    }
    // A press the item takes, also one that answers too late for its caller,
    // reaches the item once its latency has passed.
    if (action == Name::pressAction &&
        (code == AccessibilityError::success || code == AccessibilityError::cannotComplete)) {
        const float timeout = reference->timeout;
        const auto limit = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::duration<double>(timeout > 0 ? timeout : defaultMessagingTimeout));
        const auto late =
            inTime ? std::chrono::nanoseconds::zero() : std::chrono::nanoseconds(behaviour.latency) - limit;
        desktop_->pressItem(reference->pid, reference->index, late);
    }
    return inTime ? code : AccessibilityError::cannotComplete;
}

} // namespace pellacor::platform
