#include "Trayvane/Theme/AppButton.h"

#include "Trayvane/Theme/AppFont.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace pellacor::app {

namespace {

QColor opaque(std::uint32_t rgb) {
    return QColor::fromRgb(rgb | 0xFF000000U);
}

QPainterPath bodyPath(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, ButtonLook::cornerRadius, ButtonLook::cornerRadius);
    return path;
}

} // namespace

AppButton::AppButton(const QString& text, bool prominent, QWidget* parent)
    : QPushButton(text, parent), style_{prominent} {
    setFont(AppFont::body());
    setAttribute(Qt::WA_Hover);
}

void AppButton::setProminent(bool prominent) {
    style_.prominent = prominent;
    update();
}

ButtonLook AppButton::currentLook() const {
    return style_.look(isEnabled(), isDown(), appearanceOf(palette()));
}

QSize AppButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text()) + static_cast<int>(2 * ButtonLook::horizontalPadding);
    const int height = metrics.height() + static_cast<int>(2 * ButtonLook::verticalPadding);
    return {width, height};
}

bool AppButton::hitButton(const QPoint& pos) const {
    return bodyPath(QRectF(rect())).contains(QPointF(pos));
}

void AppButton::paintEvent(QPaintEvent* /*event*/) {
    const ButtonLook look = currentLook();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Pressing shrinks the whole body about its centre.
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(look.scale, look.scale);
    painter.translate(-centre);

    const QRectF body(rect());
    if (look.fill) {
        painter.setOpacity(look.fillOpacity);
        painter.fillPath(bodyPath(body), opaque(*look.fill));
        painter.setOpacity(1);
    }
    if (look.border) {
        // Drawn inside the body: inset by half the line width.
        const double half = ButtonLook::borderWidth / 2;
        QPen pen(opaque(*look.border), ButtonLook::borderWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        if (look.dashedBorder) {
            pen.setDashPattern({ButtonLook::dashOn, ButtonLook::dashOff});
            pen.setDashOffset(0);
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(bodyPath(body.adjusted(half, half, -half, -half)));
    }
    painter.setPen(opaque(look.text));
    painter.setFont(font());
    painter.drawText(body.adjusted(ButtonLook::horizontalPadding, ButtonLook::verticalPadding,
                                   -ButtonLook::horizontalPadding, -ButtonLook::verticalPadding),
                     Qt::AlignCenter, text());
}

} // namespace pellacor::app
