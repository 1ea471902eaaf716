#include "Trayvane/Panels/SearchRow.h"

#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Panels/PanelPainting.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"

#include <QFontMetricsF>
#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>

namespace pellacor::app {

SearchRow::SearchRow(core::SearchCandidate candidate, const QString& label, const QString& sectionTitle,
                     QWidget* parent)
    : QAbstractButton(parent), candidate_(std::move(candidate)), label_(label), sectionTitle_(sectionTitle) {
    setText(label);
    // A button makes "&" in its text the mark of a shortcut letter; a name
    // is shown as it is and is no shortcut.
    setShortcut(QKeySequence());
    setObjectName(QString::fromStdString("search:" + candidate_.id()));
    setAccessibleName(label + "（" + sectionTitle + "）");
    setFont(AppFont::body());
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(rowHeight);
}

void SearchRow::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    update();
}

void SearchRow::setIcon(std::optional<QImage> icon) {
    icon_ = std::move(icon);
    update();
}

void SearchRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();
    if (selected_) {
        QPainterPath shape;
        shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
        painter.fillPath(shape, PanelColor::controlAccent.resolved(selectedOpacity));
    }

    const QRectF iconRect(horizontalPadding, (bounds.height() - iconSide) / 2, iconSide, iconSide);
    PanelPainting::icon(painter, iconRect, icon_);

    // The section title keeps its whole width; the label gets what is left
    // and is cut with an ellipsis when it does not fit on its line.
    const QFontMetricsF titleMetrics(AppFont::secondary());
    const double titleWidth = titleMetrics.horizontalAdvance(sectionTitle_);
    const double titleLeft = bounds.width() - horizontalPadding - titleWidth;
    painter.setFont(AppFont::secondary());
    painter.setPen(AppColor::secondaryText.resolved());
    painter.drawText(QRectF(titleLeft, 0, titleWidth, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft,
                     sectionTitle_);

    const double labelLeft = iconRect.right() + spacing;
    const double labelWidth = std::max(0.0, titleLeft - minimumGap - labelLeft);
    const QFontMetricsF labelMetrics(AppFont::body());
    painter.setFont(AppFont::body());
    painter.setPen(PanelColor::label.resolved());
    painter.drawText(QRectF(labelLeft, 0, labelWidth, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft,
                     labelMetrics.elidedText(label_, Qt::ElideRight, labelWidth));
}

} // namespace pellacor::app
