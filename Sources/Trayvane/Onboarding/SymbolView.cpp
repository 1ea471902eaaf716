#include "Trayvane/Onboarding/SymbolView.h"

#include "Trayvane/StatusItem/SymbolImage.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace pellacor::app {

SymbolView::SymbolView(std::string_view symbol, double points, Colour colour, int lineHeight, QWidget* parent)
    : QWidget(parent), symbol_(symbol), points_(points), colour_(std::move(colour)), lineHeight_(lineHeight) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(std::string_view symbol, Colour colour) {
    symbol_ = std::string(symbol);
    colour_ = std::move(colour);
    update();
}

void SymbolView::setLineHeight(int lineHeight) {
    if (lineHeight != lineHeight_) {
        lineHeight_ = lineHeight;
        updateGeometry();
    }
}

QColor SymbolView::colour() const {
    return colour_ ? colour_(*this) : palette().color(QPalette::WindowText);
}

QSize SymbolView::sizeHint() const {
    const int side = static_cast<int>(std::ceil(points_));
    return {side, std::max(side, lineHeight_)};
}

void SymbolView::paintEvent(QPaintEvent* /*event*/) {
    const QImage image = SymbolImage::tinted(symbol_, points_, colour(), devicePixelRatioF());
    if (image.isNull()) {
        return;
    }
    QPainter painter(this);
    const double top = (height() - points_) / 2;
    painter.drawImage(QPointF((width() - points_) / 2, top), image);
}

} // namespace pellacor::app
