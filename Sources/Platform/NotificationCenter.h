#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pellacor::platform {

// A notification center: blocks observe notifications by name, from any
// sender, and run on the main thread for every one posted while they are
// registered.
class NotificationCenter {
public:
    struct Notification {
        std::string name;
        bool operator==(const Notification&) const = default;
    };

    using Block = std::function<void(const Notification&)>;

    // Names one registered block; the value 0 is never handed out.
    struct ObservationToken {
        std::uint64_t value = 0;
        bool operator==(const ObservationToken&) const = default;
    };

    virtual ~NotificationCenter() = default;

    // Registers a block for every notification of this name, delivered on the
    // main queue. Thread-safe.
    virtual ObservationToken addObserver(std::string name, Block block) = 0;
    // Once this returns the block is not called again, not even for a
    // notification already on its way. Unknown tokens are ignored. Thread-safe.
    virtual void removeObserver(ObservationToken token) = 0;
};

} // namespace pellacor::platform
