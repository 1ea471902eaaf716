#include "Trayvane/StatusItem/StatusItemMenu.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <cmath>
#include <optional>

namespace pellacor::app {

void StatusItemMenu::runOnPrimaryScreen(QMenu& menu, const core::Rect& buttonFrame) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double height = screen != nullptr ? screen->geometry().height() : 0;
    menu.exec(QPoint(static_cast<int>(std::lround(buttonFrame.minX())),
                     static_cast<int>(std::lround(height - buttonFrame.minY()))));
}

void StatusItemMenu::open(platform::StatusItem& item, QMenu& menu, const Runner& run,
                          platform::ProgramWindows* programWindows) {
    item.performClickWithMenu([&](const core::Rect& frame) {
        // Below the button, in top-down bounds: the bar stands at the top of
        // the first screen, so the button's bottom lies its height down.
        std::optional<std::uint32_t> window;
        if (programWindows != nullptr) {
            const QSize size = menu.sizeHint();
            window = programWindows->windowOpened(
                platform::ProgramWindows::menuLayer,
                core::Rect(frame.minX(), frame.height(), size.width(), size.height()));
        }
        if (run) {
            run(menu, frame);
        } else {
            runOnPrimaryScreen(menu, frame);
        }
        if (window) {
            programWindows->windowClosed(*window);
        }
    });
}

} // namespace pellacor::app
