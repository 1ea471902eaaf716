#include "Trayvane/Theme/BroomIcon.h"

#include "Trayvane/Theme/TemplateImage.h"

#include <QPainter>
#include <algorithm>

namespace pellacor::app {

namespace {

constexpr double rotation = -0.52;

QPainterPath roundedRect(double x, double y, double width, double height, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, width, height), radius, radius);
    return path;
}

} // namespace

BroomIcon::Shapes BroomIcon::designShapes() {
    Shapes shapes;
    shapes.handle = roundedRect(8.2, 9.0, 1.6, 9.0, 0.8);
    shapes.ferrule = roundedRect(6.9, 7.7, 4.2, 1.9, 0.7);
    shapes.bristles.moveTo(6.8, 8.0);
    shapes.bristles.lineTo(11.2, 8.0);
    shapes.bristles.lineTo(14.6, 0.6);
    shapes.bristles.cubicTo(11.0, -0.3, 7.0, -0.3, 3.4, 0.6);
    shapes.bristles.closeSubpath();
    shapes.band.addRect(QRectF(0, 4.0, 18, 1));
    return shapes;
}

QTransform BroomIcon::designToTarget(const QRectF& fitting) {
    QTransform rotate;
    rotate.rotateRadians(rotation);
    const Shapes shapes = designShapes();
    // The band does not count towards the fit.
    const QRectF bounds = rotate.map(shapes.handle).boundingRect() |
                          rotate.map(shapes.ferrule).boundingRect() |
                          rotate.map(shapes.bristles).boundingRect();
    const double heightRatio = fitting.height() / bounds.height();
    const double widthRatio = fitting.width() / bounds.width();
    const double scale = heightRatio < widthRatio ? heightRatio : widthRatio;
    // p -> target centre + scale × (rotated p - bounds centre)
    const QTransform fit = QTransform::fromTranslate(-bounds.center().x(), -bounds.center().y()) *
                           QTransform::fromScale(scale, scale) *
                           QTransform::fromTranslate(fitting.center().x(), fitting.center().y());
    return rotate * fit;
}

void BroomIcon::drawBroom(QPainter& painter, const QRectF& fitting, bool inverted) {
    const QTransform map = designToTarget(fitting);
    const Shapes shapes = designShapes();
    const QPainterPath bristles = map.map(shapes.bristles);
    const QBrush brush = painter.brush();
    painter.fillPath(map.map(shapes.handle), brush);
    painter.fillPath(map.map(shapes.ferrule), brush);
    painter.fillPath(bristles, brush);
    painter.save();
    painter.setClipPath(bristles, Qt::IntersectClip);
    painter.setCompositionMode(inverted ? QPainter::CompositionMode_SourceOver
                                        : QPainter::CompositionMode_DestinationOut);
    painter.fillPath(map.map(shapes.band), brush);
    painter.restore();
}

std::optional<platform::StatusItemImage> BroomIcon::image(bool circled) {
    return TemplateImage::draw(size, size, [circled](QPainter& painter) {
        const QRectF destination(0, 0, size, size);
        const QRectF inset = destination.adjusted(0.5, 0.5, -0.5, -0.5);
        if (circled) {
            QPainterPath disc;
            disc.addEllipse(inset);
            painter.fillPath(disc, painter.brush());
            painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            drawBroom(painter, destination.adjusted(3.6, 3.6, -3.6, -3.6), true);
        } else {
            drawBroom(painter, inset, false);
        }
        return true;
    });
}

} // namespace pellacor::app
