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

std::int32_t SimulatedAccessibility::setMessagingTimeout(const AccessibilityElement& element, float seconds) {
    auto* reference = referenceOf(element, this);
    if (reference == nullptr || !std::isfinite(seconds) || seconds < 0) {
        return AccessibilityError::illegalArgument;
    }
    reference->timeout = seconds;
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
            for (std::size_t i = 0; i < app->statusItems.size(); ++i) {
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
