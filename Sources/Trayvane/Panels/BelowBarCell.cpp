#include "Trayvane/Panels/BelowBarCell.h"

#include "Trayvane/Panels/BelowBarModel.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Panels/PanelPainting.h"
#include "Trayvane/Theme/AppFont.h"

#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <cmath>
#include <memory>

namespace pellacor::app {

namespace {

// The label laid out centred in lines of the cell's width, broken between
// words where it can and inside a word where it must; its height comes back.
std::unique_ptr<QTextLayout> wrapped(const QString& text, double& height) {
    auto layout = std::make_unique<QTextLayout>(text, AppFont::body());
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    height = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(BelowBarModel::cellWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout->endLayout();
    height = std::ceil(height);
    return layout;
}

} // namespace

BelowBarCell::BelowBarCell(core::BelowBarEntry entry, const QString& label, QWidget* parent)
    : QAbstractButton(parent), entry_(std::move(entry)) {
    setText(label);
    // A button makes "&" in its text the mark of a shortcut letter; a name
    // is shown as it is and is no shortcut.
    setShortcut(QKeySequence());
    setAccessibleName(label);
    setObjectName(QString::fromStdString("belowbar:" + entry_.id()));
    setFont(AppFont::body());
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void BelowBarCell::setIcon(std::optional<QImage> icon) {
    icon_ = std::move(icon);
    update();
}

double BelowBarCell::labelHeight(const QString& label) {
    double height = 0;
    wrapped(label, height);
    return height;
}

QSize BelowBarCell::sizeHint() const {
    return {static_cast<int>(BelowBarModel::cellWidth),
            static_cast<int>(std::ceil(BelowBarModel::cellHeight(labelHeight(text()))))};
}

void BelowBarCell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    if (isDown() || hovering_) {
        const PanelColor& fill = isDown() ? PanelColor::selectedContentBackground : PanelColor::controlAccent;
        QPainterPath shape;
        shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
        painter.fillPath(shape, fill.resolved(isDown() ? pressedOpacity : hoverOpacity));
    }
    const QRectF iconRect((bounds.width() - BelowBarModel::iconSide) / 2, BelowBarModel::cellVerticalPadding,
                          BelowBarModel::iconSide, BelowBarModel::iconSide);
    PanelPainting::icon(painter, iconRect, icon_);
    double height = 0;
    const auto layout = wrapped(text(), height);
    painter.setPen(PanelColor::label.resolved());
    layout->draw(&painter, QPointF(0, iconRect.bottom() + BelowBarModel::iconLabelSpacing));
}

void BelowBarCell::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void BelowBarCell::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace pellacor::app
