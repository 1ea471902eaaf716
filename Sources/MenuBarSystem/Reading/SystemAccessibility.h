#pragma once

#include "MenuBarSystem/Reading/MenuBarAccessibility.h"
#include "Platform/Accessibility.h"
#include "Platform/Workspace.h"

#include <memory>
#include <optional>
#include <string>

namespace pellacor::system {

// The item reader's accessibility operations over the platform's accessibility
// interface and workspace. Keeps no state of its own.
class SystemAccessibility final : public MenuBarAccessibility {
public:
    SystemAccessibility(std::shared_ptr<platform::Accessibility> accessibility,
                        std::shared_ptr<platform::Workspace> workspace);

    bool isTrusted() const override;
    std::vector<MenuBarAppInfo> runningApps() const override;
    ExtrasReadOutcome readExtras(std::int32_t pid, float timeout,
                                 const DeadlineCheck& isPastDeadline) const override;

    // Whether a bundle at this path is an application bundle: its last path
    // component has the extension "app". Nothing (no bundle) is not.
    static bool isAppBundlePath(const std::optional<std::string>& bundlePath);

    // The real item inside a status item that the system wraps in a group: when
    // the element's role is "AXGroup", the first of its children whose role is
    // "AXMenuBarItem" (each child given the messaging time-out first). Nothing for
    // any other element, or when no child qualifies.
    static std::optional<platform::AccessibilityElement>
    innerMenuBarItem(platform::Accessibility& accessibility, const platform::AccessibilityElement& element,
                     float timeout);

    // One child of an extras menu bar as a raw item (its messaging time-out set first).
    static RawMenuBarItem rawItem(platform::Accessibility& accessibility,
                                  const platform::AccessibilityElement& child, float timeout);

private:
    std::shared_ptr<platform::Accessibility> accessibility_;
    std::shared_ptr<platform::Workspace> workspace_;
};

} // namespace pellacor::system
