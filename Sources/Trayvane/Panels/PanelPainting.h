#pragma once

#include <QImage>
#include <QRectF>
#include <optional>

class QPainter;

namespace pellacor::app {

// What the panels draw alike, in the current appearance's colours.
struct PanelPainting {
    // The corner radius of an icon's placeholder.
    static constexpr double placeholderRadius = 6;

    // A panel's card: a rounded rectangle filled with the window background,
    // with a one-point border in the separator colour inside its edge.
    static void card(QPainter& painter, const QRectF& bounds, double cornerRadius);
    // An application's icon in `frame`, or while it has not arrived a rounded
    // placeholder in the quaternary label colour.
    static void icon(QPainter& painter, const QRectF& frame, const std::optional<QImage>& image);
};

} // namespace pellacor::app
