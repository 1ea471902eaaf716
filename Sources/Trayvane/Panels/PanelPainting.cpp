#include "Trayvane/Panels/PanelPainting.h"

#include "Trayvane/Panels/PanelColor.h"

#include <QPainter>
#include <QPainterPath>

namespace pellacor::app {

void PanelPainting::card(QPainter& painter, const QRectF& bounds, double cornerRadius) {
    // The inner border: the shape inset by half the line's width.
    const QRectF shape = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(shape, cornerRadius - 0.5, cornerRadius - 0.5);
    painter.fillPath(path, PanelColor::windowBackground.resolved());
    painter.setPen(QPen(PanelColor::separator.resolved(), 1));
    painter.drawPath(path);
}

void PanelPainting::icon(QPainter& painter, const QRectF& frame, const std::optional<QImage>& image) {
    if (image) {
        painter.drawImage(frame, *image);
        return;
    }
    QPainterPath placeholder;
    placeholder.addRoundedRect(frame, placeholderRadius, placeholderRadius);
    painter.fillPath(placeholder, PanelColor::quaternaryLabel.resolved());
}

} // namespace pellacor::app
