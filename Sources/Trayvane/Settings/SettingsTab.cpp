#include "Trayvane/Settings/SettingsTab.h"

#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <string>

namespace pellacor::app {

SettingsTab::SettingsTab(SettingsPage page, QWidget* parent) : QAbstractButton(parent), page_(page) {
    setObjectName(QStringLiteral("tab:") + qtText(std::string(rawValue(page))));
    setText(qtTitle(title(page)));
    setAccessibleName(text());
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFont(AppFont::body());
}

void SettingsTab::setSelected(bool selected) {
    if (selected == isChecked()) {
        return;
    }
    setChecked(selected);
    setFont(selected ? AppFont::heading() : AppFont::body());
    updateGeometry();
    update();
}

QSize SettingsTab::sizeHint() const {
    // Measured in the heading font, so selecting a tab never shifts its neighbours.
    const QFontMetrics metrics(AppFont::heading());
    const QSize label = metrics.size(Qt::TextSingleLine, text());
    return {label.width() + 2 * horizontalMargin, label.height() + 2 * verticalMargin};
}

void SettingsTab::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect());
    if (isSelected()) {
        QPainterPath fill;
        fill.addRoundedRect(area, cornerRadius, cornerRadius);
        painter.fillPath(fill, PanelColor::controlBackground.resolved());
        const QRectF barArea(area.left() + barInset, area.bottom() - barHeight, area.width() - 2 * barInset,
                             barHeight);
        QPainterPath bar;
        bar.addRoundedRect(barArea, barHeight / 2, barHeight / 2);
        painter.fillPath(bar, PanelColor::controlAccent.resolved());
    }
    painter.setFont(font());
    painter.setPen(PanelColor::label.resolved());
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, text());
}

} // namespace pellacor::app
