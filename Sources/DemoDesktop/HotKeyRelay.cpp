#include "DemoDesktop/HotKeyRelay.h"

#include "DemoDesktop/DesktopView.h"
#include "DemoDesktop/KeyCodes.h"

#include <QKeyEvent>

namespace pellacor::demo {

HotKeyRelay::HotKeyRelay(std::shared_ptr<platform::SimulatedPlatform> platform, QObject* parent)
    : QObject(parent), platform_(std::move(platform)) {}

bool HotKeyRelay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || qobject_cast<DesktopView*>(watched) != nullptr) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    // A menu of another application takes Escape first, wherever it is typed.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
        DesktopView::closeMenusOnEscape(*platform_)) {
        return true;
    }
    const auto code = KeyCodes::virtualKeyCode(key->key());
    if (!code || key->isAutoRepeat()) {
        return QObject::eventFilter(watched, event);
    }
    // Answered only when a hot key has the chord.
    return platform_->hotkeyManager()
        ->pressKey(*code, KeyCodes::hotKeyModifiers(key->modifiers()))
        .has_value();
}

} // namespace pellacor::demo
