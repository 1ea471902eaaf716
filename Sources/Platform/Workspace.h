#pragma once

#include "Platform/DispatchQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::platform {

// The shared workspace: the running applications, a key-value observation of
// that list, and the workspace's own notification centre.
class Workspace {
public:
    enum class ActivationPolicy { regular, accessory, prohibited };

    // One running application as the workspace reports it.
    struct RunningApplication {
        std::int32_t processIdentifier = 0;
        std::optional<std::string> bundleIdentifier;
        std::string localizedName;
        std::string bundlePath;
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        bool isActive = false;
        bool operator==(const RunningApplication&) const = default;
    };

    // A notification of the workspace's centre. `application` is the entry of the
    // user information under the workspace's application key, when there is one.
    struct Notification {
        std::string name;
        std::optional<RunningApplication> application;
        bool operator==(const Notification&) const = default;
    };
    using NotificationBlock = std::function<void(const Notification&)>;
    using ObserverToken = std::uint64_t;

    // A key-value observation; it ends when invalidated or destroyed. Once
    // `invalidate` has returned, its callback is not called again.
    class KeyValueObservation {
    public:
        virtual ~KeyValueObservation() = default;
        virtual void invalidate() = 0;
    };

    // Posted when an application becomes the active (frontmost) one.
    static constexpr std::string_view didActivateApplicationNotification =
        "NSWorkspaceDidActivateApplicationNotification";

    virtual ~Workspace() = default;

    // The running applications, in the workspace's order. Any thread.
    virtual std::vector<RunningApplication> runningApplications() const = 0;

    // Observes the running-applications property with no options: no initial
    // call, no old or new values. The callback may come on any thread.
    virtual std::unique_ptr<KeyValueObservation>
    observeRunningApplications(std::function<void()> onChange) = 0;

    // Adds an observer of the named notification to the workspace's centre;
    // the block runs on `queue`.
    virtual ObserverToken addObserver(std::string_view name, std::shared_ptr<DispatchQueue> queue,
                                      NotificationBlock block) = 0;
    // Unknown tokens are ignored. A block already handed to its queue may still run.
    virtual void removeObserver(ObserverToken token) = 0;
};

} // namespace pellacor::platform
