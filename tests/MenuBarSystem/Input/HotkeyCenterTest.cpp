#include "MenuBarSystem/Input/HotkeyCenter.h"

#include "Platform/Simulated/SimulatedHotkeyManager.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace pellacor::system {
inline void PrintTo(const HotkeyProblem& problem, std::ostream* os) {
    *os << toString(problem);
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using namespace pellacor::system;

namespace {

using Manager = HotkeyManager;
using SymbolicHotKey = SimulatedHotkeyManager::SymbolicHotKey;
using Value = pellacor::platform::PropertyListValue;

constexpr std::uint32_t controlShift = 0x1200;
constexpr std::uint32_t trvy = 0x54525659; // "TRVY"

// An entry dictionary with the given members, each a value or left out.
Value entry(std::optional<Value> enabled, std::optional<Value> code, std::optional<Value> modifiers) {
    Value::Dictionary dict;
    if (enabled) {
        dict.emplace(Manager::symbolicHotKeyEnabledKey, *enabled);
    }
    if (code) {
        dict.emplace(Manager::symbolicHotKeyCodeKey, *code);
    }
    if (modifiers) {
        dict.emplace(Manager::symbolicHotKeyModifiersKey, *modifiers);
    }
    return dict;
}

class HotkeyCenterTest : public ::testing::Test {
protected:
    std::shared_ptr<SimulatedHotkeyManager> manager = std::make_shared<SimulatedHotkeyManager>();
    std::unique_ptr<HotkeyCenter> center = std::make_unique<HotkeyCenter>(manager);
    int reveals = 0;
    int searches = 0;

    std::optional<HotkeyProblem> registerReveal() {
        return center->registerHotkey(Hotkey::reveal, [this] { ++reveals; });
    }
    std::optional<HotkeyProblem> registerSearch() {
        return center->registerHotkey(Hotkey::search, [this] { ++searches; });
    }
    std::vector<std::uint32_t> registeredIDs() const {
        std::vector<std::uint32_t> ids;
        for (const auto& key : manager->registeredHotKeys()) {
            EXPECT_EQ(key.id.signature, trvy);
            ids.push_back(key.id.id);
        }
        return ids;
    }
};

} // namespace

TEST(HotkeyTest, DefaultKeysAreControlShiftBAndF) {
    EXPECT_EQ(Hotkey::reveal, (Hotkey{11, 0x1200, "⌃⇧B"}));
    EXPECT_EQ(Hotkey::search, (Hotkey{3, 0x1200, "⌃⇧F"}));
    EXPECT_EQ(HotkeyCenter::signature, trvy);
}

TEST_F(HotkeyCenterTest, OnlyAnEnabledWellFormedSystemShortcutWithTheSameKeyClashes) {
    struct Case {
        const char* name;
        void (*setUp)(SimulatedHotkeyManager&);
        bool taken;
    };
    const std::vector<Case> cases{
        {"no system shortcuts", [](SimulatedHotkeyManager&) {}, false},
        {"an enabled control-shift-B",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, true});
         },
         true},
        {"a disabled control-shift-B",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, false});
         },
         false},
        {"B with other modifiers, and another key with control-shift",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, 0x1000, true});
             m.addSymbolicHotKey({12, controlShift, true});
         },
         false},
        {"malformed entries first, then the clash",
         [](SimulatedHotkeyManager& m) {
             // Enabled as a number, code as text, modifiers missing: none of them counts.
             m.addSymbolicHotKeyEntry(
                 entry(Value::integer(1), Value::integer(11), Value::integer(controlShift)));
             m.addSymbolicHotKeyEntry(entry(Value::boolean(true), Value("11"), Value::integer(controlShift)));
             m.addSymbolicHotKeyEntry(entry(Value::boolean(true), Value::integer(11), std::nullopt));
             m.addSymbolicHotKey({11, controlShift, true});
         },
         true},
        {"only malformed entries",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKeyEntry(entry(std::nullopt, Value::integer(11), Value::integer(controlShift)));
             m.addSymbolicHotKeyEntry(
                 entry(Value::boolean(true), Value::real(11), Value::integer(controlShift)));
         },
         false},
        {"a list that holds something other than a dictionary",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, true});
             m.addSymbolicHotKeyEntry(Value("junk"));
         },
         false},
        {"the copy fails",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, true});
             m.setSymbolicHotKeysStatus(-50);
         },
         false},
        {"no result",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, true});
             m.setSymbolicHotKeysAnswer(SimulatedHotkeyManager::SymbolicHotKeysAnswer::nothing);
         },
         false},
        {"a result that is not a list",
         [](SimulatedHotkeyManager& m) {
             m.addSymbolicHotKey({11, controlShift, true});
             m.setSymbolicHotKeysAnswer(SimulatedHotkeyManager::SymbolicHotKeysAnswer::notAList);
         },
         false},
    };
    for (const auto& c : cases) {
        SimulatedHotkeyManager system;
        c.setUp(system);
        EXPECT_EQ(HotkeyCenter::isTakenBySystem(system, Hotkey::reveal), c.taken) << c.name;
    }
}

TEST_F(HotkeyCenterTest, AKeyTakenByAnEnabledSystemShortcutIsNeverOffered) {
    manager->addSymbolicHotKey({11, controlShift, true});
    manager->addSymbolicHotKey({3, controlShift, false});

    EXPECT_EQ(registerReveal(), HotkeyProblem::takenBySystemShortcut);
    EXPECT_FALSE(center->hasHandler()) << "no handler for a key that was never offered";
    EXPECT_EQ(center->nextID(), 1u);
    EXPECT_TRUE(manager->registeredHotKeys().empty());

    // The disabled system shortcut does not block the search key, which gets the first id.
    EXPECT_EQ(registerSearch(), std::nullopt);
    EXPECT_EQ(registeredIDs(), (std::vector<std::uint32_t>{1}));
}

TEST_F(HotkeyCenterTest, IdsCountUpAndARejectedRegistrationUsesOneUp) {
    EXPECT_EQ(registerReveal(), std::nullopt);
    EXPECT_EQ(registerSearch(), std::nullopt);
    EXPECT_EQ(registeredIDs(), (std::vector<std::uint32_t>{1, 2}));

    // Another program holds control-shift-K: the system's refusal comes back as it is.
    manager->occupyKey(40, controlShift);
    EXPECT_EQ(center->registerHotkey(Hotkey{40, controlShift, "⌃⇧K"}, [] {}),
              HotkeyProblem::rejected(Manager::eventHotKeyExistsErr));
    // The same key twice: the system decides.
    EXPECT_EQ(registerReveal(), HotkeyProblem::rejected(Manager::eventHotKeyExistsErr));
    // A zero status without a reference is a refusal too.
    manager->setRegisterAnswersNoReference(true);
    EXPECT_EQ(center->registerHotkey(Hotkey{41, controlShift, "⌃⇧,"}, [] {}), HotkeyProblem::rejected(0));
    manager->setRegisterAnswersNoReference(false);

    EXPECT_EQ(center->registerHotkey(Hotkey{42, controlShift, "⌃⇧\\"}, [] {}), std::nullopt);
    EXPECT_EQ(registeredIDs(), (std::vector<std::uint32_t>{1, 2, 6}));
    const auto handlers = manager->installedHandlers();
    ASSERT_EQ(handlers.size(), 1u) << "one handler for all keys";
    EXPECT_EQ(handlers[0].types, (std::vector<Manager::EventTypeSpec>{
                                     {Manager::eventClassKeyboard, Manager::eventHotKeyPressed}}))
        << "hot-key presses only";
}

TEST_F(HotkeyCenterTest, AFailedHandlerInstallationIsRejectedWithoutUsingAnId) {
    manager->setInstallStatus(-108);
    EXPECT_EQ(registerReveal(), HotkeyProblem::rejected(-108));
    EXPECT_FALSE(center->hasHandler());
    EXPECT_EQ(center->nextID(), 1u);

    manager->setInstallStatus(Manager::noErr);
    EXPECT_EQ(registerReveal(), std::nullopt);
    EXPECT_EQ(registeredIDs(), (std::vector<std::uint32_t>{1}));
}

TEST_F(HotkeyCenterTest, AKeyPressReachesItsOwnCallback) {
    ASSERT_EQ(registerReveal(), std::nullopt);
    ASSERT_EQ(registerSearch(), std::nullopt);

    EXPECT_EQ(manager->pressKey(11, controlShift), Manager::noErr);
    EXPECT_EQ(reveals, 1);
    EXPECT_EQ(searches, 0);
    EXPECT_EQ(manager->pressKey(3, controlShift), Manager::noErr);
    EXPECT_EQ(manager->pressKey(3, controlShift), Manager::noErr);
    EXPECT_EQ(reveals, 1);
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(manager->pressKey(11, 0x1000), std::nullopt) << "control-B is no hot key";
}

TEST_F(HotkeyCenterTest, TheHandlerAnswersNotHandledForWhatIsNotItsOwn) {
    ASSERT_EQ(registerReveal(), std::nullopt);
    struct Case {
        const char* name;
        Manager::EventHotKeyID id;
    };
    const std::vector<Case> cases{
        {"another program's signature", {0x41424344, 1}},
        {"an id never registered", {trvy, 7}},
        {"id 0", {trvy, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(manager->deliverHotKeyPressed(c.id), Manager::eventNotHandledErr) << c.name;
        EXPECT_EQ(center->pressed(c.id), Manager::eventNotHandledErr) << c.name;
    }
    EXPECT_EQ(reveals, 0);

    // An event without the hot-key parameter: the reading status is the answer.
    EXPECT_EQ(
        manager->deliverEventWithoutHotKeyID({Manager::eventClassKeyboard, Manager::eventHotKeyPressed}),
        Manager::eventParameterNotFoundErr);
    // A missing event or missing user data is not handled.
    EXPECT_EQ(HotkeyCenter::handleEvent(nullptr, center.get()), Manager::eventNotHandledErr);
    SimulatedHotkeyManager bare;
    ASSERT_EQ(bare.installApplicationEventHandler(
                      &HotkeyCenter::handleEvent,
                      {{Manager::eventClassKeyboard, Manager::eventHotKeyPressed}}, nullptr)
                  .status,
              Manager::noErr);
    EXPECT_EQ(bare.deliverHotKeyPressed({trvy, 1}), Manager::eventNotHandledErr);
    EXPECT_EQ(center->pressed({trvy, 1}), Manager::noErr);
    EXPECT_EQ(reveals, 1);
}

TEST_F(HotkeyCenterTest, AnotherProgramsEventPassesOnToItsHandler) {
    struct Foreign {
        static std::int32_t handle(const Manager::Event* event, void* userData) {
            Manager::EventHotKeyID id;
            if (event->hotKeyIDParameter(Manager::eventParamDirectObject, Manager::typeEventHotKeyID, id) !=
                    Manager::noErr ||
                id.signature != 0x41424344) {
                return Manager::eventNotHandledErr;
            }
            ++*static_cast<int*>(userData);
            return Manager::noErr;
        }
    };
    int foreignPresses = 0;
    const auto foreign = manager->installApplicationEventHandler(
        &Foreign::handle, {{Manager::eventClassKeyboard, Manager::eventHotKeyPressed}}, &foreignPresses);
    ASSERT_EQ(foreign.status, Manager::noErr);
    ASSERT_EQ(registerReveal(), std::nullopt);

    EXPECT_EQ(manager->deliverHotKeyPressed({0x41424344, 1}), Manager::noErr);
    EXPECT_EQ(foreignPresses, 1);
    EXPECT_EQ(reveals, 0);
    EXPECT_EQ(manager->pressKey(11, controlShift), Manager::noErr);
    EXPECT_EQ(foreignPresses, 1);
    EXPECT_EQ(reveals, 1);
}

TEST_F(HotkeyCenterTest, UnregisterAllKeepsTheHandlerAndTheNextId) {
    center->unregisterAll();
    EXPECT_FALSE(center->hasHandler()) << "nothing to do on an empty center";
    EXPECT_TRUE(manager->installedHandlers().empty());

    ASSERT_EQ(registerReveal(), std::nullopt);
    ASSERT_EQ(registerSearch(), std::nullopt);
    center->unregisterAll();

    EXPECT_TRUE(manager->registeredHotKeys().empty());
    EXPECT_TRUE(center->hasHandler());
    EXPECT_EQ(manager->installedHandlers().size(), 1u);
    EXPECT_EQ(manager->pressKey(11, controlShift), std::nullopt) << "the key is gone from the system";
    EXPECT_EQ(manager->deliverHotKeyPressed({trvy, 1}), Manager::eventNotHandledErr) << "a late event";
    EXPECT_EQ(reveals, 0);

    center->unregisterAll();
    EXPECT_TRUE(center->hasHandler());

    ASSERT_EQ(registerReveal(), std::nullopt);
    EXPECT_EQ(registeredIDs(), (std::vector<std::uint32_t>{3})) << "ids are never reused";
    EXPECT_EQ(manager->installedHandlers().size(), 1u);
    EXPECT_EQ(manager->pressKey(11, controlShift), Manager::noErr);
    EXPECT_EQ(reveals, 1);
}

TEST_F(HotkeyCenterTest, ACallbackMayDropEveryKeyWhileItRuns) {
    int presses = 0;
    ASSERT_EQ(center->registerHotkey(Hotkey::reveal,
                                     [this, &presses] {
                                         center->unregisterAll();
                                         ++presses;
                                     }),
              std::nullopt);
    EXPECT_EQ(manager->pressKey(11, controlShift), Manager::noErr);
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(manager->registeredHotKeys().empty());
}

TEST_F(HotkeyCenterTest, ReleasingTheCenterUnregistersEveryKeyAndRemovesTheHandler) {
    ASSERT_EQ(registerReveal(), std::nullopt);
    ASSERT_EQ(registerSearch(), std::nullopt);
    center.reset();
    EXPECT_TRUE(manager->registeredHotKeys().empty());
    EXPECT_TRUE(manager->installedHandlers().empty());
    EXPECT_EQ(manager->deliverHotKeyPressed({trvy, 1}), Manager::eventNotHandledErr);
}

} // namespace PELLACOR_TEST_FILE
