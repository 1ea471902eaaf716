#pragma once

#include "Platform/StatusItemImage.h"

#include <QImage>
#include <functional>
#include <optional>

class QPainter;

namespace pellacor::app {

// Status-item images drawn by the program: black shapes on clear pixels,
// marked as template, so the system draws them in the bar's text colour.
struct TemplateImage {
    // Pixels per point of the images the program draws.
    static constexpr double scale = 2;

    // A `width` × `height` point image drawn by `draw` into a painter whose
    // coordinates are points with the y axis pointing up (origin bottom left),
    // the fill colour black. Nothing when the drawing reports failure.
    static std::optional<platform::StatusItemImage> draw(double width, double height,
                                                         const std::function<bool(QPainter&)>& draw);
    // The pixels of a drawn image, as the status item takes them.
    static platform::StatusItemImage fromImage(const QImage& image, double scale, bool isTemplate);
    // Back to a Qt image (straight alpha), for whoever draws or inspects it.
    static QImage toImage(const platform::StatusItemImage& image);
};

} // namespace pellacor::app
