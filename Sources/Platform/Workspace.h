#pragma once

#include "Platform/ApplicationIcon.h"

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

    // Where the application with this bundle identifier is installed (the path
    // of its bundle, running or not); nothing when no installed application
    // has it. Any thread.
    virtual std::optional<std::string> urlForApplication(const std::string& bundleIdentifier) const = 0;
    // The icon the workspace shows for the file at `path`; for a path it does
    // not know, the icon of its kind. Any thread.
    virtual ApplicationIcon iconForFile(const std::string& path) const = 0;
    // The icon of the application-bundle content type: the generic
    // application icon. Any thread.
    virtual ApplicationIcon iconForApplicationBundleType() const = 0;
};

} // namespace pellacor::platform
