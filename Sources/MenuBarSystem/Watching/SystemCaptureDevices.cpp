#include "MenuBarSystem/Watching/SystemCaptureDevices.h"

#include <algorithm>
#include <span>
#include <utility>

namespace pellacor::system {

namespace {

using Devices = platform::CaptureDevices;
using Framework = Devices::Framework;

constexpr Devices::PropertyAddress devicesAddress{Devices::devicesSelector, Devices::globalScope,
                                                  Devices::mainElement};
constexpr Devices::PropertyAddress runningAddress{Devices::runningSomewhereSelector, Devices::globalScope,
                                                  Devices::mainElement};
constexpr Devices::PropertyAddress inputStreamsAddress{Devices::streamsSelector, Devices::inputScope,
                                                       Devices::mainElement};

Framework frameworkOf(CaptureDeviceKind kind) {
    return kind == CaptureDeviceKind::camera ? Framework::coreMediaIO : Framework::coreAudio;
}

std::optional<std::vector<std::uint32_t>> readDeviceIDs(Devices& platform, Framework framework) {
    std::uint32_t size = 0;
    if (platform.getPropertyDataSize(framework, Devices::systemObject, devicesAddress, size) !=
        Devices::noError) {
        return std::nullopt;
    }
    if (size == 0) {
        return std::vector<std::uint32_t>{};
    }
    std::vector<std::uint32_t> ids(size / sizeof(std::uint32_t), 0);
    std::uint32_t used = 0;
    if (platform.getPropertyData(framework, Devices::systemObject, devicesAddress,
                                 std::as_writable_bytes(std::span(ids)), used) != Devices::noError) {
        return std::nullopt;
    }
    // Never more than the buffer holds, whatever the answer claims.
    ids.resize(std::min<std::size_t>(used / sizeof(std::uint32_t), ids.size()));
    return ids;
}

} // namespace

SystemCaptureDevices::SystemCaptureDevices(std::shared_ptr<platform::CaptureDevices> platform,
                                           std::shared_ptr<platform::DispatchQueue> queue)
    : platform_(std::move(platform)), queue_(std::move(queue)) {}

std::optional<std::vector<std::uint32_t>>
SystemCaptureDevices::cmioDeviceIDs(platform::CaptureDevices& platform) {
    return readDeviceIDs(platform, Framework::coreMediaIO);
}

std::optional<std::vector<std::uint32_t>>
SystemCaptureDevices::audioDeviceIDs(platform::CaptureDevices& platform) {
    return readDeviceIDs(platform, Framework::coreAudio);
}

std::optional<std::vector<std::uint32_t>> SystemCaptureDevices::deviceIDs(CaptureDeviceKind kind) {
    if (kind == CaptureDeviceKind::camera) {
        return cmioDeviceIDs(*platform_);
    }
    auto all = audioDeviceIDs(*platform_);
    if (!all) {
        return std::nullopt;
    }
    // Only devices with input streams can record; one whose streams cannot be
    // read is left out.
    std::vector<std::uint32_t> inputs;
    for (std::uint32_t device : *all) {
        std::uint32_t size = 0;
        if (platform_->getPropertyDataSize(Framework::coreAudio, device, inputStreamsAddress, size) ==
                Devices::noError &&
            size != 0) {
            inputs.push_back(device);
        }
    }
    return inputs;
}

std::optional<bool> SystemCaptureDevices::isRunningSomewhere(std::uint32_t device, CaptureDeviceKind kind) {
    std::uint32_t value = 0;
    std::uint32_t used = 0;
    if (platform_->getPropertyData(frameworkOf(kind), device, runningAddress,
                                   std::as_writable_bytes(std::span(&value, 1)), used) != Devices::noError) {
        return std::nullopt;
    }
    return value != 0;
}

bool SystemCaptureDevices::watchDevices(CaptureDeviceKind kind, Handler handler) {
    return kind == CaptureDeviceKind::camera
               ? addCamera(Devices::systemObject, devicesAddress, std::move(handler))
               : addAudio(Devices::systemObject, devicesAddress, std::move(handler));
}

bool SystemCaptureDevices::watchRunning(std::uint32_t device, CaptureDeviceKind kind, Handler handler) {
    return kind == CaptureDeviceKind::camera ? addCamera(device, runningAddress, std::move(handler))
                                             : addAudio(device, runningAddress, std::move(handler));
}

bool SystemCaptureDevices::addCamera(std::uint32_t object, const PropertyAddress& address, Handler handler) {
    return add(Registration::Kind::camera, object, address, std::move(handler));
}

bool SystemCaptureDevices::addAudio(std::uint32_t object, const PropertyAddress& address, Handler handler) {
    return add(Registration::Kind::audio, object, address, std::move(handler));
}

bool SystemCaptureDevices::add(Registration::Kind kind, std::uint32_t object, const PropertyAddress& address,
                               Handler handler) {
    // The platform calls the block on `queue_`, the main queue, so the handler
    // runs on the main thread.
    auto listener = std::make_shared<const Devices::ListenerBlock>(
        [handler = std::move(handler)](Devices::ObjectID, const std::vector<PropertyAddress>&) {
            handler();
        });
    const Framework framework =
        kind == Registration::Kind::camera ? Framework::coreMediaIO : Framework::coreAudio;
    if (platform_->addPropertyListenerBlock(framework, object, address, queue_, listener) !=
        Devices::noError) {
        return false;
    }
    registrations_.push_back(Registration{kind, object, address, std::move(listener)});
    return true;
}

void SystemCaptureDevices::unwatchAll() {
    for (const auto& registration : registrations_) {
        const Framework framework =
            registration.kind == Registration::Kind::camera ? Framework::coreMediaIO : Framework::coreAudio;
        // Nothing to do about a refusal: the listener holds the watcher weakly.
        platform_->removePropertyListenerBlock(framework, registration.object, registration.address, queue_,
                                               registration.listener);
    }
    registrations_.clear();
}

} // namespace pellacor::system
