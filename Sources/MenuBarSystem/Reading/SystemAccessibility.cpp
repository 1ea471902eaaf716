#include "MenuBarSystem/Reading/SystemAccessibility.h"

#include "MenuBarSystem/Support/AccessibilityAttributes.h"
#include "Platform/AccessibilityName.h"

#include <string_view>
#include <utility>

namespace pellacor::system {

namespace {

using platform::Accessibility;
using platform::AccessibilityElement;
using platform::AccessibilityError;
using Name = platform::AccessibilityName;

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
    if (AccessibilityAttributes::string(accessibility, element, Name::role) != Name::groupRole) {
        return std::nullopt;
    }
    const auto children = AccessibilityAttributes::elements(accessibility, element, Name::children);
    if (!children) {
        return std::nullopt;
    }
    for (const auto& child : *children) {
        accessibility.setMessagingTimeout(child, timeout);
        if (AccessibilityAttributes::string(accessibility, child, Name::role) == Name::menuBarItemRole) {
            return child;
        }
    }
    return std::nullopt;
}

RawMenuBarItem SystemAccessibility::rawItem(Accessibility& accessibility, const AccessibilityElement& child,
                                            float timeout) {
    accessibility.setMessagingTimeout(child, timeout);
    RawMenuBarItem item;
    item.identifier = AccessibilityAttributes::string(accessibility, child, Name::identifier);
    item.axDescription = AccessibilityAttributes::string(accessibility, child, Name::description);
    item.title = AccessibilityAttributes::string(accessibility, child, Name::title);
    if (!item.identifier && !item.axDescription && !item.title) {
        if (const auto inner = innerMenuBarItem(accessibility, child, timeout)) {
            item.identifier = AccessibilityAttributes::string(accessibility, *inner, Name::identifier);
        }
    }
    item.frame = AccessibilityAttributes::frame(accessibility, child);
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
    const auto children = AccessibilityAttributes::elements(accessibility, *barElement, Name::children)
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
