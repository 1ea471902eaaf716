#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

class NotificationCenter;

// The shared workspace: the running applications, a key-value observation of
// that list, and the workspace's own notification center.
class Workspace {
public:
    enum class ActivationPolicy { regular, accessory, prohibited };

    // One running application as the workspace reports it.
    struct RunningApplication {
        std::int32_t processIdentifier = 0;
        std::optional<std::string> bundleIdentifier;
        std::string localizedName;
        // The path of the application's bundle; absent when it has no bundle (a
        // command-line tool, for instance).
        std::optional<std::string> bundlePath;
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        bool isActive = false;
        // Whether it has ended though the workspace still lists it for a moment.
        bool isTerminated = false;
        bool operator==(const RunningApplication&) const = default;
    };

    // A key-value observation; it ends when invalidated or destroyed. Once
    // `invalidate` has returned, its callback is not called again.
    class KeyValueObservation {
    public:
        virtual ~KeyValueObservation() = default;
        virtual void invalidate() = 0;
    };

    virtual ~Workspace() = default;

    // The running applications, in the workspace's order. Any thread.
    virtual std::vector<RunningApplication> runningApplications() const = 0;

    // Observes the running-applications property with no options: no initial
    // call, no old or new values. The callback may come on any thread.
    virtual std::unique_ptr<KeyValueObservation>
    observeRunningApplications(std::function<void()> onChange) = 0;

    // The workspace's own notification center, not the application's default
    // one: Space changes and application activations are posted here.
    virtual std::shared_ptr<NotificationCenter> notificationCenter() const = 0;
};

} // namespace pellacor::platform
