#pragma once

#include "Platform/DispatchQueue.h"
#include "Platform/HotkeyManager.h" // fourCharCode

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace pellacor::platform {

// The object-property interface of the two capture frameworks: the camera
// framework and the audio framework. Both address a property of an object by
// selector, scope and element, read its size and its data, and call listener
// blocks on a queue when it changes. Any thread.
class CaptureDevices {
public:
    enum class Framework { coreMediaIO, coreAudio };

    using ObjectID = std::uint32_t;
    using Status = std::int32_t;

    struct PropertyAddress {
        std::uint32_t selector = 0;
        std::uint32_t scope = 0;
        std::uint32_t element = 0;
        bool operator==(const PropertyAddress&) const = default;
    };

    // Called on the listener's queue with the object and the addresses that changed.
    using ListenerBlock = std::function<void(ObjectID object, const std::vector<PropertyAddress>& addresses)>;
    // Removal needs the very block that was added, so blocks travel by pointer.
    using Listener = std::shared_ptr<const ListenerBlock>;

    // The system object of either framework.
    static constexpr ObjectID systemObject = 1;

    static constexpr std::uint32_t devicesSelector = fourCharCode("dev#");
    static constexpr std::uint32_t runningSomewhereSelector = fourCharCode("gone");
    static constexpr std::uint32_t streamsSelector = fourCharCode("stm#");
    static constexpr std::uint32_t globalScope = fourCharCode("glob");
    static constexpr std::uint32_t inputScope = fourCharCode("inpt");
    static constexpr std::uint32_t outputScope = fourCharCode("outp");
    static constexpr std::uint32_t mainElement = 0;

    static constexpr Status noError = 0;
    static constexpr Status unspecifiedError = static_cast<Status>(fourCharCode("what"));
    static constexpr Status unknownPropertyError = static_cast<Status>(fourCharCode("who?"));
    static constexpr Status badPropertySizeError = static_cast<Status>(fourCharCode("!siz"));
    static constexpr Status illegalOperationError = static_cast<Status>(fourCharCode("nope"));
    static constexpr Status badObjectError = static_cast<Status>(fourCharCode("!obj"));

    virtual ~CaptureDevices() = default;

    // The size in bytes of the property's data.
    virtual Status getPropertyDataSize(Framework framework, ObjectID object, const PropertyAddress& address,
                                       std::uint32_t& dataSize) = 0;
    // Reads at most data.size() bytes of the property; `dataUsed` is how many were written.
    virtual Status getPropertyData(Framework framework, ObjectID object, const PropertyAddress& address,
                                   std::span<std::byte> data, std::uint32_t& dataUsed) = 0;
    virtual Status addPropertyListenerBlock(Framework framework, ObjectID object,
                                            const PropertyAddress& address,
                                            std::shared_ptr<DispatchQueue> queue, Listener listener) = 0;
    // Needs the same object, address, queue and block as were added.
    virtual Status removePropertyListenerBlock(Framework framework, ObjectID object,
                                               const PropertyAddress& address,
                                               std::shared_ptr<DispatchQueue> queue, Listener listener) = 0;
};

} // namespace pellacor::platform
