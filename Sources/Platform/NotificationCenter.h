#pragma once

#include "Platform/DispatchQueue.h"
#include "Platform/Workspace.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::platform {

// A notification center (the application's default one, or the workspace's):
// blocks observe notifications by name, from any sender, for every one posted
// while they are registered.
class NotificationCenter {
public:
    struct Notification {
        std::string name;
        // The entry of the user information under the workspace's application
        // key, when there is one (an activation names the application).
        std::optional<Workspace::RunningApplication> application = std::nullopt;
        bool operator==(const Notification&) const = default;
    };

    using Block = std::function<void(const Notification&)>;

    // Names one registered block; the value 0 is never handed out.
    struct ObservationToken {
        std::uint64_t value = 0;
        bool operator==(const ObservationToken&) const = default;
    };

    virtual ~NotificationCenter() = default;

    // Registers a block for every notification of this name. It runs on
    // `queue`, or on the main queue when none is given. Thread-safe.
    virtual ObservationToken addObserver(std::string name, std::shared_ptr<DispatchQueue> queue,
                                         Block block) = 0;
    // On the main queue.
    ObservationToken addObserver(std::string name, Block block) {
        return addObserver(std::move(name), nullptr, std::move(block));
    }
    // Once this returns the block is not called again, not even for a
    // notification already on its way. Unknown tokens are ignored. Thread-safe.
    virtual void removeObserver(ObservationToken token) = 0;
};

} // namespace pellacor::platform
