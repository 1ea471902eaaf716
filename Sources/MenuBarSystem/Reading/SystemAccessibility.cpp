#include "MenuBarSystem/Reading/SystemAccessibility.h"

#include "Platform/AccessibilityName.h"

#include <string_view>
#include <utility>

namespace pellacor::system {

namespace {

using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using Name = platform::AccessibilityName;

// The attribute when it reads as a string; an error or another type gives nothing.
std::optional<std::string> stringAttribute(Accessibility& accessibility, const AccessibilityElement& element,
                                           std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    if (result.error != AccessibilityError::success || !result.value) {
        return std::nullopt;
    }
    if (const auto* text = result.value->string()) {
        return *text;
    }
    return std::nullopt;
}

// The attribute when it reads as an array of elements; anything else gives nothing.
std::optional<std::vector<AccessibilityElement>> elementsAttribute(Accessibility& accessibility,
                                                                   const AccessibilityElement& element,
                                                                   std::string_view attribute) {
    auto result = accessibility.copyAttributeValue(element, attribute);
    if (result.error != AccessibilityError::success || !result.value) {
        return std::nullopt;
    }
    return result.value->elements();
}

// Position and size, both readable as a point and a size; otherwise no frame.
std::optional<core::Rect> frameOf(Accessibility& accessibility, const AccessibilityElement& element) {
    auto position = accessibility.copyAttributeValue(element, Name::position);
    if (position.error != AccessibilityError::success || !position.value) {
        return std::nullopt;
    }
    auto size = accessibility.copyAttributeValue(element, Name::size);
    if (size.error != AccessibilityError::success || !size.value) {
        return std::nullopt;
    }
    const auto origin = position.value->point();
    const auto extent = size.value->size();
    if (!origin || !extent) {
        return std::nullopt;
    }
    return core::Rect(*origin, *extent);
}

} // namespace

SystemAccessibility::SystemAccessibility(std::shared_ptr<platform::Accessibility> accessibility,
                                         std::shared_ptr<platform::Workspace> workspace)
    : accessibility_(std::move(accessibility)), workspace_(std::move(workspace)) {}

bool SystemAccessibility::isTrusted() const {
    return accessibility_->isProcessTrusted();
}

bool SystemAccessibility::isAppBundlePath(const std::optional<std::string>& bundlePath) {
    if (!bundlePath) {
        return false;
    }
    // The last path component, ignoring trailing slashes (a bundle is a folder).
    std::string_view path = *bundlePath;
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    // A name that is only an extension (".app") has none.
    return dot != std::string_view::npos && dot > 0 && name.substr(dot + 1) == "app";
}

std::vector<MenuBarAppInfo> SystemAccessibility::runningApps() const {
    std::vector<MenuBarAppInfo> apps;
    for (const auto& app : workspace_->runningApplications()) {
        apps.push_back(
            MenuBarAppInfo{app.bundleIdentifier, app.processIdentifier, isAppBundlePath(app.bundlePath)});
    }
    return apps;
}

std::optional<AccessibilityElement> SystemAccessibility::innerMenuBarItem(Accessibility& accessibility,
                                                                          const AccessibilityElement& element,
                                                                          float timeout) {
    if (stringAttribute(accessibility, element, Name::role) != Name::groupRole) {
        return std::nullopt;
    }
    const auto children = elementsAttribute(accessibility, element, Name::children);
    if (!children) {
        return std::nullopt;
    }
    for (const auto& child : *children) {
        accessibility.setMessagingTimeout(child, timeout);
        if (stringAttribute(accessibility, child, Name::role) == Name::menuBarItemRole) {
            return child;
        }
    }
    return std::nullopt;
}

RawMenuBarItem SystemAccessibility::rawItem(Accessibility& accessibility, const AccessibilityElement& child,
                                            float timeout) {
    accessibility.setMessagingTimeout(child, timeout);
    RawMenuBarItem item;
    item.identifier = stringAttribute(accessibility, child, Name::identifier);
    item.axDescription = stringAttribute(accessibility, child, Name::description);
    item.title = stringAttribute(accessibility, child, Name::title);
    if (!item.identifier && !item.axDescription && !item.title) {
        if (const auto inner = innerMenuBarItem(accessibility, child, timeout)) {
            item.identifier = stringAttribute(accessibility, *inner, Name::identifier);
        }
    }
    item.frame = frameOf(accessibility, child);
    return item;
}

ExtrasReadOutcome SystemAccessibility::readExtras(std::int32_t pid, float timeout,
                                                  const DeadlineCheck& isPastDeadline) const {
    auto& accessibility = *accessibility_;
    const AccessibilityElement application = accessibility.createApplication(pid);
    accessibility.setMessagingTimeout(application, timeout);
    const auto bar = accessibility.copyAttributeValue(application, Name::extrasMenuBar);
    if (bar.error == AccessibilityError::noValue || bar.error == AccessibilityError::attributeUnsupported) {
        return {ExtrasReadOutcome::NoExtrasMenuBar{}};
    }
    if (bar.error != AccessibilityError::success) {
        return {ExtrasReadOutcome::Failure{bar.error}};
    }
    const AccessibilityElement* barElement = bar.value ? bar.value->element() : nullptr;
    if (barElement == nullptr) {
        return {ExtrasReadOutcome::NoExtrasMenuBar{}};
    }
    accessibility.setMessagingTimeout(*barElement, timeout);
    const auto children = elementsAttribute(accessibility, *barElement, Name::children)
                              .value_or(std::vector<AccessibilityElement>{});
    ExtrasReadOutcome::Items items;
    items.items.reserve(children.size());
    for (const auto& child : children) {
        if (isPastDeadline && isPastDeadline()) {
            return {ExtrasReadOutcome::DeadlinePassed{}};
        }
        items.items.push_back(rawItem(accessibility, child, timeout));
    }
    return {std::move(items)};
}

} // namespace pellacor::system
