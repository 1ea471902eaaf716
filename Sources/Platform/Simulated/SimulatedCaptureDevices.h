#pragma once

#include "Platform/CaptureDevices.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::platform {

// The cameras and audio devices of the simulated desktop behind both capture
// frameworks: each framework's system object lists its devices ('dev#'); a
// device answers whether it is running somewhere ('gone') and, per scope, its
// streams ('stm#'). Addresses are checked strictly: another scope or element
// than the property has is an unknown property.
//
// A device can be plugged in, unplugged and switched on or off at run time;
// each change calls the listeners of the changed property on their queues. Any
// operation on any object and property can be made to fail with a status.
//
// Thread-safe; listeners are handed to their queues outside the lock.
class SimulatedCaptureDevices final : public CaptureDevices {
public:
    struct Device {
        Framework framework = Framework::coreMediaIO;
        // 0 asks for a fresh identifier when added.
        ObjectID objectID = 0;
        std::string name;
        std::uint32_t inputStreams = 0;
        std::uint32_t outputStreams = 0;
        bool runningSomewhere = false;
        bool operator==(const Device&) const = default;
    };

    enum class Operation { dataSize, data, addListener };

    // A built-in camera, a built-in microphone and built-in speakers, all idle.
    static std::vector<Device> usualDevices();

    explicit SimulatedCaptureDevices(std::vector<Device> devices = usualDevices());

    Status getPropertyDataSize(Framework framework, ObjectID object, const PropertyAddress& address,
                               std::uint32_t& dataSize) override;
    Status getPropertyData(Framework framework, ObjectID object, const PropertyAddress& address,
                           std::span<std::byte> data, std::uint32_t& dataUsed) override;
    Status addPropertyListenerBlock(Framework framework, ObjectID object, const PropertyAddress& address,
                                    std::shared_ptr<DispatchQueue> queue, Listener listener) override;
    Status removePropertyListenerBlock(Framework framework, ObjectID object, const PropertyAddress& address,
                                       std::shared_ptr<DispatchQueue> queue, Listener listener) override;

    std::vector<Device> devices() const;
    std::vector<Device> devices(Framework framework) const;
    // Plugs a device in. Its identifier; nothing when the framework already has
    // an object with that identifier.
    std::optional<ObjectID> addDevice(Device device);
    // Unplugs a device. Its listeners stay registered, as with the real frameworks.
    bool removeDevice(Framework framework, ObjectID object);
    bool setRunningSomewhere(Framework framework, ObjectID object, bool running);
    // Switches the first camera on or off; false without a camera.
    bool setCameraRunning(bool running);

    // Makes `operation` on this object's property (any scope) answer `status`
    // until cleared; noError clears it.
    void setFault(Framework framework, ObjectID object, std::uint32_t selector, Operation operation,
                  Status status);
    void clearFaults();

    std::size_t listenerCount() const;
    std::size_t listenerCount(Framework framework, ObjectID object, std::uint32_t selector) const;

private:
    struct Fault {
        Framework framework;
        ObjectID object;
        std::uint32_t selector;
        Operation operation;
        Status status;
    };
    struct Registration {
        Framework framework;
        ObjectID object;
        PropertyAddress address;
        std::shared_ptr<DispatchQueue> queue;
        Listener listener;
    };

    std::optional<Status> faultLocked(Framework framework, ObjectID object, std::uint32_t selector,
                                      Operation operation) const;
    const Device* deviceLocked(Framework framework, ObjectID object) const;
    // The property's value as 32-bit words, or the status telling why there is none.
    Status valueLocked(Framework framework, ObjectID object, const PropertyAddress& address,
                       std::vector<std::uint32_t>& words) const;
    bool knownObjectLocked(Framework framework, ObjectID object) const;
    // Hands every listener of the property to its queue; call without the lock.
    void notify(Framework framework, ObjectID object, PropertyAddress address);

    mutable std::mutex mutex_;
    std::vector<Device> devices_;
    std::vector<Fault> faults_;
    std::vector<Registration> registrations_;
};

} // namespace pellacor::platform
