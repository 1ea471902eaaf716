#pragma once

#include "MenuBarSystem/Watching/CaptureDeviceKind.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace pellacor::system {

// The capture devices as the capture-use watcher reads them, so that its logic
// runs against fakes. Main thread only; handlers are called on the main thread.
class CaptureDeviceSource {
public:
    using Handler = std::function<void()>;

    virtual ~CaptureDeviceSource() = default;

    // The devices of that kind (for microphones, those with input streams);
    // nothing when the list cannot be read.
    virtual std::optional<std::vector<std::uint32_t>> deviceIDs(CaptureDeviceKind kind) = 0;
    // Whether the device is running in some process; nothing when unreadable.
    virtual std::optional<bool> isRunningSomewhere(std::uint32_t device, CaptureDeviceKind kind) = 0;
    // A listener on that kind's device list; true when the platform accepted it.
    virtual bool watchDevices(CaptureDeviceKind kind, Handler handler) = 0;
    // A listener on one device's running state; true when the platform accepted it.
    virtual bool watchRunning(std::uint32_t device, CaptureDeviceKind kind, Handler handler) = 0;
    // Removes every listener that was added.
    virtual void unwatchAll() = 0;
};

} // namespace pellacor::system
