#pragma once

#include "Platform/StatusItemImage.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>
#include <optional>

class QPainter;

namespace pellacor::app {

// The program's broom, drawn: plain while the hidden items are put away,
// cut out of a disc while they are out.
struct BroomIcon {
    static constexpr double size = 18;

    // An 18 × 18 point template image; nothing when it could not be drawn.
    static std::optional<platform::StatusItemImage> image(bool circled);

    // The four shapes in their design space (y up), before rotation.
    struct Shapes {
        QPainterPath handle;
        QPainterPath ferrule;
        QPainterPath bristles;
        QPainterPath band;
    };
    static Shapes designShapes();
    // Maps the design space onto `fitting` (y up): rotated by -0.52 rad about
    // the origin, then the handle, ferrule and bristles scaled to fit and centred.
    static QTransform designToTarget(const QRectF& fitting);

    // Fills the broom fitted into `fitting` with the painter's brush and
    // composition mode, then the band across the bristles: cleared, or, when
    // `inverted` (the broom itself was cut out), filled.
    static void drawBroom(QPainter& painter, const QRectF& fitting, bool inverted);
};

} // namespace pellacor::app
