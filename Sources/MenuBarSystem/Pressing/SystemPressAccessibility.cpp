#include "MenuBarSystem/Pressing/SystemPressAccessibility.h"

#include "MenuBarSystem/Reading/SystemAccessibility.h"
#include "MenuBarSystem/Support/AccessibilityAttributes.h"
#include "Platform/AccessibilityName.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

namespace pellacor::system {

namespace {

using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using Name = platform::AccessibilityName;

// The extras menu bar of the process, read with the time-out set on the way.
std::optional<AccessibilityElement> extrasMenuBar(Accessibility& accessibility, std::int32_t pid,
                                                  float timeout) {
    const AccessibilityElement application = accessibility.createApplication(pid);
    accessibility.setMessagingTimeout(application, timeout);
    auto bar = accessibility.copyAttributeValue(application, Name::extrasMenuBar);
    if (bar.error != AccessibilityError::success || !bar.value || !bar.value->element()) {
        return std::nullopt;
    }
    AccessibilityElement element = *bar.value->element();
    accessibility.setMessagingTimeout(element, timeout);
    return element;
}

} // namespace

SystemPressAccessibility::SystemPressAccessibility(std::shared_ptr<platform::Accessibility> accessibility,
                                                   std::shared_ptr<platform::Workspace> workspace,
                                                   std::shared_ptr<platform::WindowList> windowList,
                                                   std::shared_ptr<platform::DisplayList> displayList)
    : accessibility_(std::move(accessibility)), workspace_(std::move(workspace)),
      windowList_(std::move(windowList)), displayList_(std::move(displayList)) {}

SystemPressAccessibility::SystemPressAccessibility(const platform::PlatformServices& services)
    : SystemPressAccessibility(services.accessibility, services.workspace, services.windowList,
                               services.displayList) {}

bool SystemPressAccessibility::isTrusted() {
    return accessibility_->isProcessTrusted();
}

std::vector<std::int32_t> SystemPressAccessibility::pids(const std::string& bundleID) {
    std::vector<std::int32_t> result;
    for (const auto& app : workspace_->runningApplications()) {
        if (app.bundleIdentifier == bundleID && !app.isTerminated) {
            result.push_back(app.processIdentifier);
        }
    }
    return result;
}

std::optional<WindowNumbers> SystemPressAccessibility::windows(std::int32_t pid) {
    const auto descriptions = windowList_->copyWindowInfo(platform::WindowList::optionOnScreenOnly,
                                                          platform::WindowList::nullWindowID);
    if (!descriptions) {
        return std::nullopt;
    }
    WindowNumbers numbers;
    for (const auto& description : *descriptions) {
        if (!description.ownerPID || !description.number) {
            continue;
        }
        const std::int64_t owner = *description.ownerPID;
        const std::int64_t number = *description.number;
        const bool ownerFits = owner >= std::numeric_limits<std::int32_t>::min() &&
                               owner <= std::numeric_limits<std::int32_t>::max();
        const bool numberFits = number >= 0 && number <= std::numeric_limits<std::uint32_t>::max();
        if (ownerFits && static_cast<std::int32_t>(owner) == pid && numberFits) {
            numbers.insert(static_cast<std::uint32_t>(number));
        }
    }
    return numbers;
}

std::optional<AccessibilityElement> SystemPressAccessibility::item(std::int32_t pid, int index,
                                                                   float timeout) {
    auto& accessibility = *accessibility_;
    const auto bar = extrasMenuBar(accessibility, pid, timeout);
    if (!bar) {
        return std::nullopt;
    }
    const auto items = AccessibilityAttributes::elements(accessibility, *bar, Name::children);
    if (!items || index < 0 || static_cast<std::size_t>(index) >= items->size()) {
        return std::nullopt;
    }
    const AccessibilityElement& element = (*items)[static_cast<std::size_t>(index)];
    accessibility.setMessagingTimeout(element, timeout);
    return element;
}

std::vector<core::Rect> SystemPressAccessibility::displayBounds(platform::DisplayList& displays) {
    const auto count = displays.activeDisplayCount();
    if (count.error != platform::DisplayList::success || count.count == 0) {
        return {};
    }
    const auto list = displays.activeDisplayList(count.count);
    if (list.error != platform::DisplayList::success) {
        return {};
    }
    std::vector<core::Rect> bounds;
    bounds.reserve(list.displays.size());
    for (const std::uint32_t display : list.displays) {
        bounds.push_back(displays.displayBounds(display));
    }
    return bounds;
}

bool SystemPressAccessibility::isInMenuBar(const core::Rect& frame, const std::vector<core::Rect>& displays) {
    if (!(frame.width() > 0) || !(frame.height() > 0)) {
        return false;
    }
    const double middle = frame.midX();
    const double top = frame.minY();
    return std::any_of(displays.begin(), displays.end(), [&](const core::Rect& display) {
        return middle >= display.minX() && middle < display.maxX() && top >= display.minY() - 2 &&
               top < display.minY() + 60;
    });
}

std::optional<bool> SystemPressAccessibility::isPlaced(std::int32_t pid, int index) {
    auto& accessibility = *accessibility_;
    const auto element = item(pid, index, readTimeout);
    if (!element) {
        return std::nullopt;
    }
    const auto frame = AccessibilityAttributes::frame(accessibility, *element);
    if (!frame) {
        return std::nullopt;
    }
    return isInMenuBar(*frame, displayBounds(*displayList_));
}

std::optional<std::vector<AccessibilityElement>>
SystemPressAccessibility::children(Accessibility& accessibility, std::int32_t pid) {
    const auto bar = extrasMenuBar(accessibility, pid, readTimeout);
    if (!bar) {
        return std::nullopt;
    }
    return AccessibilityAttributes::elements(accessibility, *bar, Name::children);
}

AccessibilityElement SystemPressAccessibility::pressable(Accessibility& accessibility,
                                                         const AccessibilityElement& element, float timeout) {
    accessibility.setMessagingTimeout(element, timeout);
    const auto inner = SystemAccessibility::innerMenuBarItem(accessibility, element, timeout);
    if (!inner) {
        return element;
    }
    // A group that takes the press itself is pressed as the group.
    const auto names = accessibility.copyActionNames(element);
    if (names.error == AccessibilityError::success && names.value) {
        if (const auto* array = std::get_if<platform::AccessibilityValue::Array>(&names.value->content)) {
            const bool offersPress = std::any_of(array->begin(), array->end(), [](const auto& name) {
                return name.string() != nullptr && *name.string() == Name::pressAction;
            });
            const bool allStrings = std::all_of(array->begin(), array->end(),
                                                [](const auto& name) { return name.string() != nullptr; });
            if (allStrings && offersPress) {
                return element;
            }
        }
    }
    return *inner;
}

PressCall SystemPressAccessibility::deliver(const AccessibilityElement& element, float timeout) {
    accessibility_->setMessagingTimeout(element, timeout);
    const std::int32_t code = accessibility_->performAction(element, Name::pressAction);
    if (code == AccessibilityError::success || code == cannotCompleteCode) {
        return PressCall::sent(code);
    }
    return PressCall::failed(code);
}

PressCall SystemPressAccessibility::press(std::int32_t pid, int index, float timeout) {
    auto& accessibility = *accessibility_;
    const AccessibilityElement application = accessibility.createApplication(pid);
    accessibility.setMessagingTimeout(application, readTimeout);
    const auto bar = accessibility.copyAttributeValue(application, Name::extrasMenuBar);
    if (bar.error == AccessibilityError::noValue || bar.error == AccessibilityError::attributeUnsupported) {
        return PressCall::noItem();
    }
    if (bar.error != AccessibilityError::success) {
        return PressCall::failed(bar.error);
    }
    if (!bar.value || !bar.value->element()) {
        return PressCall::noItem();
    }
    const AccessibilityElement barElement = *bar.value->element();
    accessibility.setMessagingTimeout(barElement, readTimeout);
    const auto items = AccessibilityAttributes::elements(accessibility, barElement, Name::children);
    if (!items || index < 0 || static_cast<std::size_t>(index) >= items->size()) {
        return PressCall::noItem();
    }
    return deliver(pressable(accessibility, (*items)[static_cast<std::size_t>(index)], timeout), timeout);
}

std::optional<std::string> SystemPressAccessibility::identifier(const AccessibilityElement& element) {
    auto& accessibility = *accessibility_;
    accessibility.setMessagingTimeout(element, readTimeout);
    if (auto own = AccessibilityAttributes::string(accessibility, element, Name::identifier)) {
        return own;
    }
    if (const auto inner = SystemAccessibility::innerMenuBarItem(accessibility, element, readTimeout)) {
        return AccessibilityAttributes::string(accessibility, *inner, Name::identifier);
    }
    return std::nullopt;
}

PressCall SystemPressAccessibility::press(std::int32_t pid, const std::string& identifier, float timeout) {
    const auto items = children(*accessibility_, pid);
    if (!items) {
        return PressCall::noItem();
    }
    for (const auto& element : *items) {
        if (this->identifier(element) == identifier) {
            return deliver(pressable(*accessibility_, element, timeout), timeout);
        }
    }
    return PressCall::noItem();
}

SystemItemLookup SystemPressAccessibility::lookup(std::int32_t pid, const std::string& identifier) {
    const auto items = children(*accessibility_, pid);
    if (!items || items->empty()) {
        return SystemItemLookup::unreadable();
    }
    std::vector<std::optional<std::string>> identifiers;
    identifiers.reserve(items->size());
    for (const auto& element : *items) {
        identifiers.push_back(this->identifier(element));
    }
    for (std::size_t position = 0; position < identifiers.size(); ++position) {
        if (identifiers[position] == identifier) {
            return SystemItemLookup::found(static_cast<int>(position));
        }
    }
    const bool anyRead =
        std::any_of(identifiers.begin(), identifiers.end(), [](const auto& id) { return id.has_value(); });
    return anyRead ? SystemItemLookup::absent() : SystemItemLookup::unreadable();
}

} // namespace pellacor::system
