#include "Platform/Simulated/SimulatedHotkeyManager.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;

namespace {

using Manager = HotkeyManager;

// Records which handler saw an event and answers what it is told to.
struct Probe {
    std::string name;
    std::int32_t answer = Manager::noErr;
    std::vector<std::string>* log = nullptr;
    SimulatedHotkeyManager* manager = nullptr;
    std::optional<Manager::EventHandlerRef> removeWhenCalled;

    static std::int32_t handle(const Manager::Event*, void* userData) {
        auto* probe = static_cast<Probe*>(userData);
        probe->log->push_back(probe->name);
        if (probe->removeWhenCalled) {
            probe->manager->removeEventHandler(*probe->removeWhenCalled);
        }
        return probe->answer;
    }
};

const std::vector<Manager::EventTypeSpec> hotKeyPressed{
    {Manager::eventClassKeyboard, Manager::eventHotKeyPressed}};

} // namespace

TEST(SimulatedHotkeyManagerTest, DeliversToTheNewestHandlerFirstAndOnWhileNotHandled) {
    SimulatedHotkeyManager manager;
    std::vector<std::string> log;
    Probe older{"older", Manager::noErr, &log, &manager, {}};
    Probe released{"released only", Manager::noErr, &log, &manager, {}};
    Probe newer{"newer", Manager::eventNotHandledErr, &log, &manager, {}};
    manager.installApplicationEventHandler(&Probe::handle, hotKeyPressed, &older);
    manager.installApplicationEventHandler(
        &Probe::handle, {{Manager::eventClassKeyboard, Manager::eventHotKeyReleased}}, &released);
    manager.installApplicationEventHandler(&Probe::handle, hotKeyPressed, &newer);

    EXPECT_EQ(manager.deliverHotKeyPressed({1, 1}), Manager::noErr);
    EXPECT_EQ(log, (std::vector<std::string>{"newer", "older"}));

    // A handler that an earlier one removes during the delivery does not run.
    log.clear();
    newer.removeWhenCalled = manager.installedHandlers().front().handler;
    EXPECT_EQ(manager.deliverHotKeyPressed({1, 1}), Manager::eventNotHandledErr);
    EXPECT_EQ(log, (std::vector<std::string>{"newer"}));
}

TEST(SimulatedHotkeyManagerTest, KeepsRegistrationsByKeyAndRefusesUnknownReferences) {
    SimulatedHotkeyManager manager;
    const auto first = manager.registerApplicationHotKey(11, 0x1200, {7, 1}, 0);
    ASSERT_EQ(first.status, Manager::noErr);
    ASSERT_TRUE(first.hotKey);
    EXPECT_EQ(manager.registerApplicationHotKey(11, 0x1200, {7, 2}, 0).status, Manager::eventHotKeyExistsErr);
    EXPECT_EQ(manager.unregisterEventHotKey(*first.hotKey), Manager::noErr);
    EXPECT_EQ(manager.unregisterEventHotKey(*first.hotKey), Manager::eventHotKeyInvalidErr);
    EXPECT_EQ(manager.removeEventHandler({999}), Manager::paramErr);
    EXPECT_EQ(manager.registerApplicationHotKey(11, 0x1200, {7, 3}, 0).status, Manager::noErr)
        << "free again once unregistered";

    manager.setRegisterStatus(-50);
    EXPECT_EQ(manager.registerApplicationHotKey(3, 0x1200, {7, 4}, 0).status, -50);
    EXPECT_EQ(manager.registeredHotKeys().size(), 1u);
}

} // namespace PELLACOR_TEST_FILE
