#include "Trayvane/Theme/AppIcon.h"

#include "Trayvane/Theme/BroomIcon.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace pellacor::app {

QPixmap AppIcon::pixmap(double points, double pixelRatio) {
    const int pixels = static_cast<int>(std::lround(points * pixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QRectF square(0, 0, points, points);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(pixelRatio, pixelRatio);
        QLinearGradient fill(square.topLeft(), square.bottomLeft());
        fill.setColorAt(0, QColor(0x4A, 0x9B, 0xF0));
        fill.setColorAt(1, QColor(0x1F, 0x5F, 0xC4));
        const QRectF card = square.adjusted(points * 0.06, points * 0.06, -points * 0.06, -points * 0.06);
        QPainterPath body;
        body.addRoundedRect(card, card.width() * 0.225, card.width() * 0.225);
        painter.fillPath(body, fill);
    }
    // The broom cuts its band out of whatever it is drawn on, so it gets a
    // layer of its own, drawn y up as it was designed.
    QImage broom(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    broom.fill(Qt::transparent);
    {
        QPainter painter(&broom);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(pixelRatio, -pixelRatio);
        painter.translate(0, -points);
        painter.setBrush(Qt::white);
        BroomIcon::drawBroom(
            painter, square.adjusted(points * 0.24, points * 0.24, -points * 0.24, -points * 0.24), false);
    }
    {
        QPainter painter(&image);
        painter.drawImage(0, 0, broom);
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixelRatio);
    return result;
}

} // namespace pellacor::app
