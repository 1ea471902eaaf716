#include "Platform/Simulated/SimulatedCaptureDevices.h"

#include "Platform/Simulated/Scenario.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/HeldQueue.h"

#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::platform;
using pellacor::testing::HeldQueue;

namespace {

using Framework = CaptureDevices::Framework;
using Address = CaptureDevices::PropertyAddress;
using Operation = SimulatedCaptureDevices::Operation;
using Device = SimulatedCaptureDevices::Device;

constexpr auto cmio = Framework::coreMediaIO;
constexpr auto audio = Framework::coreAudio;
constexpr Address devicesAddress{CaptureDevices::devicesSelector, CaptureDevices::globalScope, 0};
constexpr Address runningAddress{CaptureDevices::runningSomewhereSelector, CaptureDevices::globalScope, 0};

struct Read {
    CaptureDevices::Status status = CaptureDevices::noError;
    std::vector<std::uint32_t> words;
    bool operator==(const Read&) const = default;
};

Read read(CaptureDevices& devices, Framework framework, CaptureDevices::ObjectID object, Address address,
          std::size_t capacity = 16) {
    std::vector<std::uint32_t> buffer(capacity, 0xFFFFFFFF);
    std::uint32_t used = 0;
    Read result;
    result.status =
        devices.getPropertyData(framework, object, address, std::as_writable_bytes(std::span(buffer)), used);
    if (result.status == CaptureDevices::noError) {
        buffer.resize(used / 4);
        result.words = buffer;
    }
    return result;
}

std::uint32_t sizeOf(CaptureDevices& devices, Framework framework, CaptureDevices::ObjectID object,
                     Address address, CaptureDevices::Status expected = CaptureDevices::noError) {
    std::uint32_t size = 12345;
    EXPECT_EQ(devices.getPropertyDataSize(framework, object, address, size), expected);
    return size;
}

SimulatedCaptureDevices twoOfEach() {
    return SimulatedCaptureDevices(
        {Device{cmio, 40, "Camera", 0, 0, true}, Device{cmio, 41, "Other", 0, 0, false},
         Device{audio, 40, "Microphone", 2, 0, false}, Device{audio, 50, "Speakers", 0, 2, true}});
}

TEST(SimulatedCaptureDevicesTest, AnswersTheListsRunningStatesAndStreamsAtTheirAddressesOnly) {
    auto devices = twoOfEach();
    EXPECT_EQ(sizeOf(devices, cmio, 1, devicesAddress), 8u);
    EXPECT_EQ(read(devices, cmio, 1, devicesAddress), (Read{0, {40, 41}}));
    EXPECT_EQ(read(devices, audio, 1, devicesAddress), (Read{0, {40, 50}}));
    EXPECT_EQ(read(devices, audio, 1, devicesAddress, 1), (Read{0, {40}})) << "as many as fit";

    EXPECT_EQ(read(devices, cmio, 40, runningAddress), (Read{0, {1}}));
    EXPECT_EQ(read(devices, cmio, 41, runningAddress), (Read{0, {0}}));
    EXPECT_EQ(read(devices, cmio, 40, runningAddress, 0).status, CaptureDevices::badPropertySizeError);

    const Address input{CaptureDevices::streamsSelector, CaptureDevices::inputScope, 0};
    const Address output{CaptureDevices::streamsSelector, CaptureDevices::outputScope, 0};
    const Address global{CaptureDevices::streamsSelector, CaptureDevices::globalScope, 0};
    EXPECT_EQ(sizeOf(devices, audio, 40, input), 8u);
    EXPECT_EQ(sizeOf(devices, audio, 50, input), 0u);
    EXPECT_EQ(sizeOf(devices, audio, 50, output), 8u);
    EXPECT_EQ(sizeOf(devices, audio, 40, global), 8u);

    // Another scope, element or selector than the property has is unknown.
    const auto unknown = CaptureDevices::unknownPropertyError;
    sizeOf(devices, cmio, 1, Address{CaptureDevices::devicesSelector, CaptureDevices::inputScope, 0},
           unknown);
    sizeOf(devices, cmio, 1, Address{CaptureDevices::devicesSelector, CaptureDevices::globalScope, 1},
           unknown);
    sizeOf(devices, cmio, 40,
           Address{CaptureDevices::runningSomewhereSelector, CaptureDevices::inputScope, 0}, unknown);
    sizeOf(devices, cmio, 1, runningAddress, unknown);
    sizeOf(devices, audio, 41, runningAddress,
           CaptureDevices::badObjectError); // a camera, not an audio device
}

TEST(SimulatedCaptureDevicesTest, FaultsMakeTheChosenOperationFailUntilCleared) {
    auto devices = twoOfEach();
    const auto failure = CaptureDevices::unspecifiedError;
    devices.setFault(cmio, 1, CaptureDevices::devicesSelector, Operation::dataSize, failure);
    devices.setFault(audio, 1, CaptureDevices::devicesSelector, Operation::data, failure);
    devices.setFault(cmio, 41, CaptureDevices::runningSomewhereSelector, Operation::data, failure);
    devices.setFault(audio, 40, CaptureDevices::streamsSelector, Operation::dataSize, failure);
    devices.setFault(cmio, 40, CaptureDevices::runningSomewhereSelector, Operation::addListener, failure);

    sizeOf(devices, cmio, 1, devicesAddress, failure);
    EXPECT_EQ(read(devices, cmio, 1, devicesAddress).status, CaptureDevices::noError)
        << "only the size fails";
    EXPECT_EQ(sizeOf(devices, audio, 1, devicesAddress), 8u);
    EXPECT_EQ(read(devices, audio, 1, devicesAddress).status, failure);
    EXPECT_EQ(read(devices, cmio, 41, runningAddress).status, failure);
    EXPECT_EQ(read(devices, cmio, 40, runningAddress).status, CaptureDevices::noError);
    sizeOf(devices, audio, 40, Address{CaptureDevices::streamsSelector, CaptureDevices::inputScope, 0},
           failure);
    auto listener = std::make_shared<const CaptureDevices::ListenerBlock>([](auto, const auto&) {});
    EXPECT_EQ(devices.addPropertyListenerBlock(cmio, 40, runningAddress, nullptr, listener), failure);
    EXPECT_EQ(devices.listenerCount(), 0u);

    devices.setFault(cmio, 41, CaptureDevices::runningSomewhereSelector, Operation::data,
                     CaptureDevices::noError);
    EXPECT_EQ(read(devices, cmio, 41, runningAddress).status, CaptureDevices::noError);
    devices.clearFaults();
    EXPECT_EQ(read(devices, audio, 1, devicesAddress).status, CaptureDevices::noError);
    EXPECT_EQ(devices.addPropertyListenerBlock(cmio, 40, runningAddress, nullptr, listener),
              CaptureDevices::noError);
}

TEST(SimulatedCaptureDevicesTest, ChangesCallTheListenersOfTheChangedPropertyOnTheirQueues) {
    auto devices = twoOfEach();
    auto queue = std::make_shared<HeldQueue>();
    std::vector<std::pair<CaptureDevices::ObjectID, std::uint32_t>> calls;
    auto listener = std::make_shared<const CaptureDevices::ListenerBlock>(
        [&calls](CaptureDevices::ObjectID object, const std::vector<Address>& addresses) {
            ASSERT_EQ(addresses.size(), 1u);
            calls.emplace_back(object, addresses.front().selector);
        });
    ASSERT_EQ(devices.addPropertyListenerBlock(cmio, 1, devicesAddress, queue, listener), 0);
    ASSERT_EQ(devices.addPropertyListenerBlock(cmio, 41, runningAddress, queue, listener), 0);
    ASSERT_EQ(devices.addPropertyListenerBlock(audio, 40, runningAddress, queue, listener), 0);
    EXPECT_EQ(devices.listenerCount(cmio, 41, CaptureDevices::runningSomewhereSelector), 1u);

    EXPECT_TRUE(devices.setRunningSomewhere(cmio, 40, false)) << "no listener on this one";
    EXPECT_TRUE(devices.setRunningSomewhere(cmio, 41, false)) << "unchanged: nothing to report";
    EXPECT_TRUE(devices.setCameraRunning(true)) << "the first camera";
    EXPECT_TRUE(devices.setRunningSomewhere(cmio, 41, true));
    const auto plugged = devices.addDevice(Device{cmio, 0, "USB Camera", 0, 0, false});
    ASSERT_TRUE(plugged);
    EXPECT_EQ(*plugged, 42u);
    EXPECT_TRUE(devices.removeDevice(cmio, 41));
    EXPECT_FALSE(devices.setRunningSomewhere(cmio, 41, false));
    EXPECT_TRUE(calls.empty()) << "delivered on the queue only";

    EXPECT_EQ(queue->runAll(), 3u);
    const auto gone = CaptureDevices::runningSomewhereSelector;
    const auto list = CaptureDevices::devicesSelector;
    EXPECT_EQ(calls, (std::vector<std::pair<CaptureDevices::ObjectID, std::uint32_t>>{
                         {41, gone}, {1, list}, {1, list}}));

    // Removal needs the very block and queue; an unplugged device's listener stays until removed.
    auto other = std::make_shared<const CaptureDevices::ListenerBlock>(*listener);
    EXPECT_NE(devices.removePropertyListenerBlock(cmio, 41, runningAddress, queue, other), 0);
    EXPECT_NE(devices.removePropertyListenerBlock(cmio, 41, runningAddress, nullptr, listener), 0);
    EXPECT_EQ(devices.removePropertyListenerBlock(cmio, 41, runningAddress, queue, listener), 0);
    EXPECT_EQ(devices.listenerCount(), 2u);
}

TEST(SimulatedCaptureDevicesScenarioTest, AScenarioDescribesTheDevicesAndCanSwitchTheCameraOn) {
    EXPECT_EQ(Scenario::defaultScenario().captureDevices, SimulatedCaptureDevices::usualDevices());
    const auto decoded = Scenario::decode(R"({"applications": [], "captureDevices": [
        {"kind": "camera", "name": "Camera", "running": true},
        {"kind": "camera", "id": 32, "name": "Capture Card"},
        {"kind": "audio", "id": 70, "name": "Microphone", "inputStreams": 1},
        {"kind": "audio", "name": "Speakers", "outputStreams": 2}]})");
    const auto* scenario = std::get_if<Scenario>(&decoded);
    ASSERT_NE(scenario, nullptr) << std::get<ScenarioError>(decoded).message;
    EXPECT_EQ(scenario->captureDevices, (std::vector<Device>{Device{cmio, 0, "Camera", 0, 0, true},
                                                             Device{cmio, 32, "Capture Card", 0, 0, false},
                                                             Device{audio, 70, "Microphone", 1, 0, false},
                                                             Device{audio, 0, "Speakers", 0, 2, false}}));

    SimulatedPlatform platform(*scenario);
    auto& devices = *platform.captureDevices();
    EXPECT_EQ(platform.services().captureDevices, platform.captureDevices());
    EXPECT_EQ(read(devices, cmio, 1, devicesAddress), (Read{0, {33, 32}}))
        << "a device without an identifier never takes one given to another";
    EXPECT_EQ(read(devices, cmio, 33, runningAddress), (Read{0, {1}}));
    EXPECT_EQ(read(devices, audio, 1, devicesAddress), (Read{0, {70, 71}}));

    struct Case {
        const char* json;
        const char* error;
    };
    for (
        const Case& c : {
            Case{R"({"applications": [], "captureDevices": [{"name": "x"}]})",
                 "captureDevices[0].kind: missing"},
            Case{R"({"applications": [], "captureDevices": [{"kind": "video"}]})", "captureDevices[0].kind"},
            Case{R"({"applications": [], "captureDevices": [{"kind": "camera", "id": 1}]})",
                 "captureDevices[0].id"},
            Case{
                R"({"applications": [], "captureDevices": [{"kind": "audio", "id": 5}, {"kind": "audio", "id": 5}]})",
                "captureDevices[1].id: taken"},
        }) {
        const auto result = Scenario::decode(c.json);
        ASSERT_TRUE(std::holds_alternative<ScenarioError>(result)) << c.json;
        EXPECT_TRUE(std::get<ScenarioError>(result).message.starts_with(c.error))
            << std::get<ScenarioError>(result).message;
    }
}

} // namespace
} // namespace PELLACOR_TEST_FILE
