#include "Platform/Simulated/SimulatedCaptureDevices.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

namespace pellacor::platform {

namespace {
// Fresh device identifiers start above the small numbers the system objects use.
constexpr CaptureDevices::ObjectID firstDeviceID = 32;
} // namespace

std::vector<SimulatedCaptureDevices::Device> SimulatedCaptureDevices::usualDevices() {
    return {
        Device{Framework::coreMediaIO, 0, "Built-in Camera", 0, 0, false},
        Device{Framework::coreAudio, 0, "Built-in Microphone", 1, 0, false},
        Device{Framework::coreAudio, 0, "Built-in Speakers", 0, 1, false},
    };
}

SimulatedCaptureDevices::SimulatedCaptureDevices(std::vector<Device> devices) {
    // Identifiers given are reserved first, so that a device listed earlier
    // without one never takes the identifier of a later device.
    std::map<Framework, ObjectID> highest;
    for (const auto& device : devices) {
        auto [it, inserted] = highest.try_emplace(device.framework, firstDeviceID - 1);
        it->second = std::max(it->second, device.objectID);
    }
    for (auto& device : devices) {
        if (device.objectID == 0) {
            ObjectID& last = highest.at(device.framework);
            if (last == std::numeric_limits<ObjectID>::max()) {
                continue;
            }
            device.objectID = ++last;
        }
        addDevice(std::move(device));
    }
}

std::optional<CaptureDevices::Status> SimulatedCaptureDevices::faultLocked(Framework framework,
                                                                           ObjectID object,
                                                                           std::uint32_t selector,
                                                                           Operation operation) const {
    for (const auto& fault : faults_) {
        if (fault.framework == framework && fault.object == object && fault.selector == selector &&
            fault.operation == operation) {
            return fault.status;
        }
    }
    return std::nullopt;
}

const SimulatedCaptureDevices::Device* SimulatedCaptureDevices::deviceLocked(Framework framework,
                                                                             ObjectID object) const {
    for (const auto& device : devices_) {
        if (device.framework == framework && device.objectID == object) {
            return &device;
        }
    }
    return nullptr;
}

bool SimulatedCaptureDevices::knownObjectLocked(Framework framework, ObjectID object) const {
    return object == systemObject || deviceLocked(framework, object) != nullptr;
}

CaptureDevices::Status SimulatedCaptureDevices::valueLocked(Framework framework, ObjectID object,
                                                            const PropertyAddress& address,
                                                            std::vector<std::uint32_t>& words) const {
    words.clear();
    if (!knownObjectLocked(framework, object)) {
        return badObjectError;
    }
    if (address.element != mainElement) {
        return unknownPropertyError;
    }
    if (object == systemObject) {
        if (address.selector != devicesSelector || address.scope != globalScope) {
            return unknownPropertyError;
        }
        for (const auto& device : devices_) {
            if (device.framework == framework) {
                words.push_back(device.objectID);
            }
        }
        return noError;
    }
    const Device& device = *deviceLocked(framework, object);
    if (address.selector == runningSomewhereSelector && address.scope == globalScope) {
        words.push_back(device.runningSomewhere ? 1 : 0);
        return noError;
    }
    if (address.selector == streamsSelector) {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        if (address.scope == inputScope) {
            count = device.inputStreams;
        } else if (address.scope == outputScope) {
            first = device.inputStreams;
            count = device.outputStreams;
        } else if (address.scope == globalScope) {
            count = device.inputStreams + device.outputStreams;
        } else {
            return unknownPropertyError;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            words.push_back(device.objectID * 64 + first + i + 1); // the stream objects
        }
        return noError;
    }
    return unknownPropertyError;
}

CaptureDevices::Status SimulatedCaptureDevices::getPropertyDataSize(Framework framework, ObjectID object,
                                                                    const PropertyAddress& address,
                                                                    std::uint32_t& dataSize) {
    std::lock_guard lock(mutex_);
    if (auto status = faultLocked(framework, object, address.selector, Operation::dataSize)) {
        return *status;
    }
    std::vector<std::uint32_t> words;
    const Status status = valueLocked(framework, object, address, words);
    if (status == noError) {
        dataSize = static_cast<std::uint32_t>(words.size() * sizeof(std::uint32_t));
    }
    return status;
}

CaptureDevices::Status SimulatedCaptureDevices::getPropertyData(Framework framework, ObjectID object,
                                                                const PropertyAddress& address,
                                                                std::span<std::byte> data,
                                                                std::uint32_t& dataUsed) {
    std::lock_guard lock(mutex_);
    if (auto status = faultLocked(framework, object, address.selector, Operation::data)) {
        return *status;
    }
    std::vector<std::uint32_t> words;
    const Status status = valueLocked(framework, object, address, words);
    if (status != noError) {
        return status;
    }
    const bool scalar = address.selector == runningSomewhereSelector;
    if (scalar && data.size() < sizeof(std::uint32_t)) {
        return badPropertySizeError;
    }
    const std::size_t count = std::min(words.size(), data.size() / sizeof(std::uint32_t));
    if (count > 0) {
        std::memcpy(data.data(), words.data(), count * sizeof(std::uint32_t));
    }
    dataUsed = static_cast<std::uint32_t>(count * sizeof(std::uint32_t));
    return noError;
}

CaptureDevices::Status SimulatedCaptureDevices::addPropertyListenerBlock(Framework framework, ObjectID object,
                                                                         const PropertyAddress& address,
                                                                         std::shared_ptr<DispatchQueue> queue,
                                                                         Listener listener) {
    std::lock_guard lock(mutex_);
    if (auto status = faultLocked(framework, object, address.selector, Operation::addListener)) {
        return *status;
    }
    if (!listener || !*listener) {
        return illegalOperationError;
    }
    std::vector<std::uint32_t> words;
    const Status status = valueLocked(framework, object, address, words);
    if (status != noError) {
        return status;
    }
    registrations_.push_back(Registration{framework, object, address, std::move(queue), std::move(listener)});
    return noError;
}

CaptureDevices::Status SimulatedCaptureDevices::removePropertyListenerBlock(
    Framework framework, ObjectID object, const PropertyAddress& address,
    std::shared_ptr<DispatchQueue> queue, Listener listener) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(registrations_.begin(), registrations_.end(), [&](const Registration& r) {
        return r.framework == framework && r.object == object && r.address == address && r.queue == queue &&
               r.listener == listener;
    });
    if (it == registrations_.end()) {
        return knownObjectLocked(framework, object) ? illegalOperationError : badObjectError;
    }
    registrations_.erase(it);
    return noError;
}

std::vector<SimulatedCaptureDevices::Device> SimulatedCaptureDevices::devices() const {
    std::lock_guard lock(mutex_);
    return devices_;
}

std::vector<SimulatedCaptureDevices::Device> SimulatedCaptureDevices::devices(Framework framework) const {
    std::lock_guard lock(mutex_);
    std::vector<Device> result;
    std::copy_if(devices_.begin(), devices_.end(), std::back_inserter(result),
                 [framework](const Device& device) { return device.framework == framework; });
    return result;
}

std::optional<CaptureDevices::ObjectID> SimulatedCaptureDevices::addDevice(Device device) {
    {
        std::lock_guard lock(mutex_);
        if (device.objectID == 0) {
            ObjectID highest = firstDeviceID - 1;
            for (const auto& other : devices_) {
                if (other.framework == device.framework) {
                    highest = std::max(highest, other.objectID);
                }
            }
            if (highest == std::numeric_limits<ObjectID>::max()) {
                return std::nullopt;
            }
            device.objectID = highest + 1;
        } else if (device.objectID == systemObject || deviceLocked(device.framework, device.objectID)) {
            return std::nullopt;
        }
        devices_.push_back(device);
    }
    notify(device.framework, systemObject, {devicesSelector, globalScope, mainElement});
    return device.objectID;
}

bool SimulatedCaptureDevices::removeDevice(Framework framework, ObjectID object) {
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(devices_.begin(), devices_.end(), [&](const Device& device) {
            return device.framework == framework && device.objectID == object;
        });
        if (it == devices_.end()) {
            return false;
        }
        devices_.erase(it);
    }
    notify(framework, systemObject, {devicesSelector, globalScope, mainElement});
    return true;
}

bool SimulatedCaptureDevices::setRunningSomewhere(Framework framework, ObjectID object, bool running) {
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(devices_.begin(), devices_.end(), [&](const Device& device) {
            return device.framework == framework && device.objectID == object;
        });
        if (it == devices_.end()) {
            return false;
        }
        if (it->runningSomewhere == running) {
            return true;
        }
        it->runningSomewhere = running;
    }
    notify(framework, object, {runningSomewhereSelector, globalScope, mainElement});
    return true;
}

bool SimulatedCaptureDevices::setCameraRunning(bool running) {
    std::optional<ObjectID> camera;
    {
        std::lock_guard lock(mutex_);
        for (const auto& device : devices_) {
            if (device.framework == Framework::coreMediaIO) {
                camera = device.objectID;
                break;
            }
        }
    }
    return camera && setRunningSomewhere(Framework::coreMediaIO, *camera, running);
}

void SimulatedCaptureDevices::setFault(Framework framework, ObjectID object, std::uint32_t selector,
                                       Operation operation, Status status) {
    std::lock_guard lock(mutex_);
    std::erase_if(faults_, [&](const Fault& fault) {
        return fault.framework == framework && fault.object == object && fault.selector == selector &&
               fault.operation == operation;
    });
    if (status != noError) {
        faults_.push_back(Fault{framework, object, selector, operation, status});
    }
}

void SimulatedCaptureDevices::clearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::size_t SimulatedCaptureDevices::listenerCount() const {
    std::lock_guard lock(mutex_);
    return registrations_.size();
}

std::size_t SimulatedCaptureDevices::listenerCount(Framework framework, ObjectID object,
                                                   std::uint32_t selector) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(registrations_.begin(), registrations_.end(), [&](const Registration& r) {
            return r.framework == framework && r.object == object && r.address.selector == selector;
        }));
}

void SimulatedCaptureDevices::notify(Framework framework, ObjectID object, PropertyAddress address) {
    std::vector<Registration> targets;
    {
        std::lock_guard lock(mutex_);
        std::copy_if(registrations_.begin(), registrations_.end(), std::back_inserter(targets),
                     [&](const Registration& r) {
                         return r.framework == framework && r.object == object && r.address == address;
                     });
    }
    const std::vector<PropertyAddress> addresses{address};
    for (const auto& target : targets) {
        const Listener listener = target.listener;
        if (target.queue) {
            target.queue->async([listener, object, addresses] { (*listener)(object, addresses); });
        } else {
            (*listener)(object, addresses);
        }
    }
}

} // namespace pellacor::platform
