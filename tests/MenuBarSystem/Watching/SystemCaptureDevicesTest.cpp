#include "MenuBarSystem/Watching/SystemCaptureDevices.h"

#include "Concurrency/ManualExecutor.h"
#include "MenuBarSystem/Support/MainQueue.h"
#include "MenuBarSystem/Watching/CaptureUseWatcher.h"
#include "Platform/Simulated/SimulatedCaptureDevices.h"
#include "Platform/Simulated/SimulatedPlatform.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
using namespace std::chrono_literals;

namespace {

using Kind = CaptureDeviceKind;
using platform::CaptureDevices;
using Device = platform::SimulatedCaptureDevices::Device;
using Operation = platform::SimulatedCaptureDevices::Operation;
using IDs = std::optional<std::vector<std::uint32_t>>;

constexpr auto cmio = CaptureDevices::Framework::coreMediaIO;
constexpr auto audio = CaptureDevices::Framework::coreAudio;
constexpr auto failure = CaptureDevices::unspecifiedError;

class SystemCaptureDevicesTest : public ::testing::Test {
protected:
    concurrency::ManualExecutor executor;
    std::shared_ptr<platform::SimulatedCaptureDevices> platform =
        std::make_shared<platform::SimulatedCaptureDevices>(std::vector<Device>{
            Device{cmio, 40, "Camera", 0, 0, false}, Device{cmio, 41, "Capture Card", 0, 0, true},
            Device{audio, 40, "Speakers", 0, 2, true}, Device{audio, 41, "Microphone", 1, 0, false},
            Device{audio, 42, "Headset", 1, 1, false}});
    SystemCaptureDevices devices{platform, std::make_shared<MainQueue>(executor)};
};

TEST_F(SystemCaptureDevicesTest, ReadsCamerasAndTheAudioDevicesThatHaveInputStreams) {
    EXPECT_EQ(devices.deviceIDs(Kind::camera), (IDs{{40, 41}}));
    EXPECT_EQ(devices.deviceIDs(Kind::microphone), (IDs{{41, 42}})) << "speakers cannot record";
    EXPECT_EQ(devices.isRunningSomewhere(40, Kind::camera), false);
    EXPECT_EQ(devices.isRunningSomewhere(41, Kind::camera), true);
    EXPECT_EQ(devices.isRunningSomewhere(40, Kind::microphone), true);
    EXPECT_EQ(devices.isRunningSomewhere(99, Kind::camera), std::nullopt);

    platform->setFault(audio, 41, CaptureDevices::streamsSelector, Operation::dataSize, failure);
    EXPECT_EQ(devices.deviceIDs(Kind::microphone), (IDs{{42}})) << "a failed stream query drops the device";
    platform->setFault(cmio, 40, CaptureDevices::runningSomewhereSelector, Operation::data, failure);
    EXPECT_EQ(devices.isRunningSomewhere(40, Kind::camera), std::nullopt);

    for (auto operation : {Operation::dataSize, Operation::data}) {
        platform->clearFaults();
        platform->setFault(cmio, CaptureDevices::systemObject, CaptureDevices::devicesSelector, operation,
                           failure);
        platform->setFault(audio, CaptureDevices::systemObject, CaptureDevices::devicesSelector, operation,
                           failure);
        EXPECT_EQ(devices.deviceIDs(Kind::camera), std::nullopt);
        EXPECT_EQ(devices.deviceIDs(Kind::microphone), std::nullopt);
    }

    auto empty = std::make_shared<platform::SimulatedCaptureDevices>(std::vector<Device>{});
    SystemCaptureDevices none(empty, std::make_shared<MainQueue>(executor));
    EXPECT_EQ(none.deviceIDs(Kind::camera), (IDs{std::vector<std::uint32_t>{}}));
    EXPECT_EQ(none.deviceIDs(Kind::microphone), (IDs{std::vector<std::uint32_t>{}}));
}

TEST_F(SystemCaptureDevicesTest, ListenersRunTheirHandlersOnTheMainExecutorAndAreRemovedExactly) {
    std::vector<std::string> calls;
    EXPECT_TRUE(devices.watchDevices(Kind::camera, [&] { calls.push_back("camera list"); }));
    EXPECT_TRUE(devices.watchDevices(Kind::microphone, [&] { calls.push_back("audio list"); }));
    EXPECT_TRUE(devices.watchRunning(40, Kind::camera, [&] { calls.push_back("camera 40"); }));
    EXPECT_TRUE(devices.watchRunning(41, Kind::microphone, [&] { calls.push_back("microphone 41"); }));
    platform->setFault(cmio, 41, CaptureDevices::runningSomewhereSelector, Operation::addListener, failure);
    EXPECT_FALSE(devices.watchRunning(41, Kind::camera, [&] { calls.push_back("refused"); }));
    EXPECT_EQ(platform->listenerCount(cmio, CaptureDevices::systemObject, CaptureDevices::devicesSelector),
              1u);
    EXPECT_EQ(platform->listenerCount(audio, 41, CaptureDevices::runningSomewhereSelector), 1u);

    // Someone else's listener must survive unwatchAll.
    auto foreign = std::make_shared<const CaptureDevices::ListenerBlock>([](auto, const auto&) {});
    const CaptureDevices::PropertyAddress runningAddress{CaptureDevices::runningSomewhereSelector,
                                                         CaptureDevices::globalScope, 0};
    ASSERT_EQ(platform->addPropertyListenerBlock(cmio, 40, runningAddress, nullptr, foreign), 0);

    std::thread([this] {
        platform->setRunningSomewhere(cmio, 40, true);
        platform->setRunningSomewhere(audio, 41, true);
        platform->addDevice(Device{audio, 0, "USB Microphone", 1, 0, false});
    }).join();
    EXPECT_TRUE(calls.empty()) << "nothing runs before the main executor does";
    executor.runUntilIdle();
    EXPECT_EQ(calls, (std::vector<std::string>{"camera 40", "microphone 41", "audio list"}));

    devices.unwatchAll();
    EXPECT_EQ(platform->listenerCount(), 1u);
    platform->setRunningSomewhere(cmio, 40, false);
    executor.runUntilIdle();
    EXPECT_EQ(calls.size(), 3u);
}

// The watcher as the application builds it, over the simulated desktop's devices.
TEST(CaptureUseOnTheDesktopTest, SwitchingTheCameraOnAndOffReachesTheHandler) {
    concurrency::ManualExecutor executor;
    platform::SimulatedPlatform platform;
    auto watcher = CaptureUseWatcher::create(platform.services().captureDevices, executor);
    std::vector<CaptureUse> reports;
    watcher->start([&reports](const CaptureUse& use) { reports.push_back(use); });
    EXPECT_EQ(watcher->current(), (CaptureUse{false, false}));

    const auto& devices = platform.captureDevices();
    std::thread([&] { devices->setCameraRunning(true); }).join();
    executor.runUntilIdle();
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}}));

    const auto microphone = devices->devices(audio).front().objectID;
    devices->setRunningSomewhere(audio, microphone, true);
    executor.runUntilIdle();
    devices->setCameraRunning(false);
    executor.runUntilIdle();
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}, {true, true}, {false, true}}));
    EXPECT_FALSE(reports.back().revealsAll());

    watcher->stop();
    EXPECT_EQ(devices->listenerCount(), 0u) << "stop removes every listener";
}

TEST(CaptureUseOnTheDesktopTest, ThePlatformsRefusalsAreCoveredByRetriesAndTheBackstop) {
    concurrency::ManualExecutor executor;
    platform::SimulatedPlatform platform;
    const auto& devices = platform.captureDevices();
    const auto camera = devices->devices(cmio).front().objectID;
    devices->setFault(cmio, CaptureDevices::systemObject, CaptureDevices::devicesSelector,
                      Operation::addListener, failure);
    devices->setFault(cmio, camera, CaptureDevices::runningSomewhereSelector, Operation::addListener,
                      failure);
    auto watcher = CaptureUseWatcher::create(platform.services().captureDevices, executor);
    std::vector<CaptureUse> reports;
    watcher->start([&reports](const CaptureUse& use) { reports.push_back(use); });
    executor.runUntilIdle();
    EXPECT_EQ(devices->listenerCount(cmio, camera, CaptureDevices::runningSomewhereSelector), 0u);

    devices->clearFaults();
    devices->setCameraRunning(true);
    executor.advanceBy(2900ms);
    EXPECT_TRUE(reports.empty()) << "no listener heard it";
    executor.advanceBy(100ms);
    EXPECT_EQ(reports, (std::vector<CaptureUse>{{true, false}}));
    EXPECT_EQ(devices->listenerCount(cmio, camera, CaptureDevices::runningSomewhereSelector), 1u)
        << "attached at the backstop's refresh";

    // From now on the listener reports at once.
    devices->setCameraRunning(false);
    executor.runUntilIdle();
    EXPECT_EQ(reports.size(), 2u);

    // An unreadable camera list counts as in use.
    devices->setFault(cmio, CaptureDevices::systemObject, CaptureDevices::devicesSelector, Operation::data,
                      failure);
    executor.advanceBy(3s);
    EXPECT_EQ(reports.back(), (CaptureUse{true, false}));
    watcher->stop();
}

} // namespace
} // namespace PELLACOR_TEST_FILE
