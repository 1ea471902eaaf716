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
    // The shades around a surface: the style draws bevels with them, and
    // disabled text over an etch in the light one. Left as the light
    // appearance has them, the etch is nearly white on the dark ground and a
    // disabled menu entry reads brighter than an enabled one; the disabled
    // light shade is the ground itself, so disabled text is plain grey.
    palette.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x4E));
    palette.setColor(QPalette::Midlight, QColor(0x3A, 0x3A, 0x3E));
    palette.setColor(QPalette::Mid, QColor(0x24, 0x24, 0x27));
    palette.setColor(QPalette::Dark, QColor(0x1A, 0x1A, 0x1C));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Light, window);
    return palette;
}

void DesktopAppearance::apply(bool dark) {
    QApplication::setPalette(palette(dark));
}

} // namespace pellacor::demo
