#include "DemoDesktop/DesktopAppearance.h"

#include <QApplication>
#include <QColor>
#include <QStyle>

namespace pellacor::demo {

QPalette DesktopAppearance::palette(bool dark) {
    QPalette palette = QApplication::style()->standardPalette();
    if (!dark) {
        return palette;
    }
    const QColor window(0x2B, 0x2B, 0x2E);
    const QColor text(0xEE, 0xEE, 0xEE);
    const QColor disabled(0x80, 0x80, 0x80);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x2F, 0x6F, 0xD0));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return palette;
}

void DesktopAppearance::apply(bool dark) {
    QApplication::setPalette(palette(dark));
}

} // namespace pellacor::demo
