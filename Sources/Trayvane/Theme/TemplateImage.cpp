#include "Trayvane/Theme/TemplateImage.h"

#include <QPainter>
#include <cmath>
#include <cstring>

namespace pellacor::app {

std::optional<platform::StatusItemImage> TemplateImage::draw(double width, double height,
                                                             const std::function<bool(QPainter&)>& draw) {
    const int pixelWidth = static_cast<int>(std::lround(width * scale));
    const int pixelHeight = static_cast<int>(std::lround(height * scale));
    QImage image(pixelWidth, pixelHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    bool drawn = false;
    {
        QPainter painter(&image);
        if (!painter.isActive()) {
            return std::nullopt;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        // Points, y up: the drawing is described as the system's drawing
        // handlers describe it.
        painter.scale(scale, -scale);
        painter.translate(0, -height);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        drawn = draw && draw(painter);
    }
    if (!drawn) {
        return std::nullopt;
    }
    return fromImage(image, scale, true);
}

platform::StatusItemImage TemplateImage::fromImage(const QImage& image, double scale, bool isTemplate) {
    const QImage straight = image.convertToFormat(QImage::Format_RGBA8888);
    platform::StatusItemImage pixels;
    pixels.width = straight.width();
    pixels.height = straight.height();
    pixels.scale = scale;
    pixels.isTemplate = isTemplate;
    const auto rowBytes = static_cast<std::size_t>(pixels.width) * 4;
    pixels.rgba.resize(rowBytes * static_cast<std::size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y) {
        std::memcpy(pixels.rgba.data() + rowBytes * static_cast<std::size_t>(y), straight.constScanLine(y),
                    rowBytes);
    }
    return pixels;
}

QImage TemplateImage::toImage(const platform::StatusItemImage& image) {
    if (!image.isWellFormed()) {
        return {};
    }
    return QImage(image.rgba.data(), image.width, image.height, qsizetype{image.width} * 4,
                  QImage::Format_RGBA8888)
        .copy();
}

} // namespace pellacor::app
