#include "Trayvane/Settings/AppIconView.h"

#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/PanelPainting.h"

#include <QPainter>

namespace pellacor::app {

namespace {

QImage greys(const QImage& image) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return result;
}

} // namespace

AppIconView::AppIconView(std::shared_ptr<IconStore> icons, std::string bundleID, QWidget* parent)
    : QWidget(parent), icons_(std::move(icons)), bundleID_(std::move(bundleID)) {
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!icons_) {
        return;
    }
    image_ = icons_->image(bundleID_);
    if (!image_) {
        // The store renders it now; it says so once, when the icon is stored.
        arrivals_ = icons_->observe([this](const std::string& arrived) {
            if (arrived != bundleID_ || image_) {
                return;
            }
            image_ = icons_->image(bundleID_);
            greyImage_.reset();
            update();
        });
    }
}

void AppIconView::setGrey(bool grey) {
    if (grey_ != grey) {
        grey_ = grey;
        update();
    }
}

void AppIconView::setDimmed(bool dimmed) {
    if (dimmed_ != dimmed) {
        dimmed_ = dimmed;
        update();
    }
}

QPixmap AppIconView::picture(double pixelRatio) const {
    QPixmap result(static_cast<int>(side * pixelRatio), static_cast<int>(side * pixelRatio));
    result.setDevicePixelRatio(pixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    draw(painter);
    return result;
}

void AppIconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    draw(painter);
}

void AppIconView::draw(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(dimmed_ ? 0.5 : 1);
    if (image_ && grey_ && !greyImage_) {
        greyImage_ = greys(*image_);
    }
    PanelPainting::icon(painter, QRectF(0, 0, side, side), grey_ ? greyImage_ : image_);
}

} // namespace pellacor::app
