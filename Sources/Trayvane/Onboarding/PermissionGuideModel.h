#pragma once

#include "MenuBarCore/Support/Observers.h"
#include "Trayvane/Theme/ThemeColor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::app {

// What the permission guide shows and where its buttons lead. `trusted` is
// observed: setting it to another value tells every observer, setting the
// value it has tells nobody. Main thread only.
class PermissionGuideModel {
public:
    // The status row: its symbol, the symbol's colour and the text.
    struct Status {
        std::string_view symbol;
        ThemeColor symbolColour;
        std::string text;
        bool operator==(const Status&) const = default;
    };

    // The Accessibility permission as last known: nothing while not known yet.
    std::optional<bool> trusted() const { return trusted_; }
    void setTrusted(std::optional<bool> trusted);

    // The three buttons; one that is not set does nothing.
    std::function<void()> onOpenSettings;
    std::function<void()> onRelaunch;
    std::function<void()> onClose;

    void openSettings() const;
    void relaunch() const;
    void close() const;

    // Not known and not granted read alike: only a granted permission shows as such.
    static Status status(std::optional<bool> trusted);
    Status status() const { return status(trusted_); }

    // Told after `trusted` changed, while the subscription lives.
    core::Subscription observe(std::function<void()> onChange) {
        return observers_.observe(std::move(onChange));
    }

private:
    std::optional<bool> trusted_;
    core::Observers<> observers_;
};

} // namespace pellacor::app
