#pragma once

#include "MenuBarSystem/Watching/CaptureDeviceSource.h"
#include "Platform/CaptureDevices.h"
#include "Platform/DispatchQueue.h"

#include <memory>
#include <vector>

namespace pellacor::system {

// The capture devices of the system: cameras through the camera framework,
// audio devices through the audio framework, both read synchronously on the
// calling thread. Listeners are delivered on the queue given at creation (the
// main queue), and the handlers run there.
class SystemCaptureDevices final : public CaptureDeviceSource {
public:
    SystemCaptureDevices(std::shared_ptr<platform::CaptureDevices> platform,
                         std::shared_ptr<platform::DispatchQueue> queue);
    SystemCaptureDevices(const SystemCaptureDevices&) = delete;
    SystemCaptureDevices& operator=(const SystemCaptureDevices&) = delete;

    std::optional<std::vector<std::uint32_t>> deviceIDs(CaptureDeviceKind kind) override;
    std::optional<bool> isRunningSomewhere(std::uint32_t device, CaptureDeviceKind kind) override;
    bool watchDevices(CaptureDeviceKind kind, Handler handler) override;
    bool watchRunning(std::uint32_t device, CaptureDeviceKind kind, Handler handler) override;
    void unwatchAll() override;

private:
    using Framework = platform::CaptureDevices::Framework;
    using PropertyAddress = platform::CaptureDevices::PropertyAddress;

    // One listener that was added, exactly as it was handed to the platform.
    struct Registration {
        enum class Kind { camera, audio };
        Kind kind;
        std::uint32_t object;
        PropertyAddress address;
        platform::CaptureDevices::Listener listener;
    };

    static std::optional<std::vector<std::uint32_t>> cmioDeviceIDs(platform::CaptureDevices& platform);
    static std::optional<std::vector<std::uint32_t>> audioDeviceIDs(platform::CaptureDevices& platform);
    bool addCamera(std::uint32_t object, const PropertyAddress& address, Handler handler);
    bool addAudio(std::uint32_t object, const PropertyAddress& address, Handler handler);
    bool add(Registration::Kind kind, std::uint32_t object, const PropertyAddress& address, Handler handler);

    // Every listener that was added successfully, in the order added.
    std::vector<Registration> registrations_;
    const std::shared_ptr<platform::CaptureDevices> platform_;
    const std::shared_ptr<platform::DispatchQueue> queue_;
};

} // namespace pellacor::system
