#pragma once

#include <QPixmap>

namespace pellacor::app {

// The program's own icon: the broom in white on a rounded square of the
// program's blue, drawn rather than shipped.
struct AppIcon {
    // The icon `points` wide and high, with `pixelRatio` pixels per point.
    static QPixmap pixmap(double points, double pixelRatio);
};

} // namespace pellacor::app
