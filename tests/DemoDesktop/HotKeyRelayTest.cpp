#include "DemoDesktop/HotKeyRelay.h"

#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/DesktopBuilders.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using platform::HotkeyManager;

namespace {

// Records the keys a window of the program gets.
struct KeyTaker final : QLineEdit {
    std::vector<int> keys;
    void keyPressEvent(QKeyEvent* event) override {
        keys.push_back(event->key());
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

TEST(HotKeyRelayTest, AHotKeysChordTypedInAnyOtherWindowGoesToTheHotKeyAlone) {
    pellacor::testing::offscreenApplication();
    const auto platform = std::make_shared<platform::SimulatedPlatform>();
    demo::HotKeyRelay relay(platform);
    qApp->installEventFilter(&relay);
    int pressed = 0;
    auto& manager = *platform->hotkeyManager();
    manager.installApplicationEventHandler(&pellacor::testing::HotKeyCounter::handle,
                                           pellacor::testing::HotKeyCounter::pressedEvents(), &pressed);
    // ⌃⇧F: F is key code 3; Control and Shift are 0x1000 and 0x200 (Meta stands for Control).
    ASSERT_EQ(manager.registerApplicationHotKey(3, 0x1200, {1, 1}, 0).status, HotkeyManager::noErr);

    KeyTaker panel;
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_F, Qt::MetaModifier | Qt::ShiftModifier);
    QApplication::sendEvent(&panel, &chord);
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(panel.keys.empty()) << "the window never saw the hot key";

    QKeyEvent typed(QEvent::KeyPress, Qt::Key_F, Qt::ShiftModifier, "F");
    QApplication::sendEvent(&panel, &typed);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(panel.keys, std::vector<int>{Qt::Key_F}) << "any other key goes on to the window";

    // The desktop view hands its keys to the simulated user itself: once, not twice.
    demo::DesktopView view(platform);
    QApplication::sendEvent(&view, &chord);
    EXPECT_EQ(pressed, 2);
    qApp->removeEventFilter(&relay);
}

} // namespace PELLACOR_TEST_FILE
