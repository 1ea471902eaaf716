#include "Trayvane/Settings/AppleItemsRow.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

// The system's apple mark is not on this desktop: a grey apple drawn in its place.
QPixmap appleMark(double pixelRatio) {
    QPixmap mark(static_cast<int>(28 * pixelRatio), static_cast<int>(28 * pixelRatio));
    mark.setDevicePixelRatio(pixelRatio);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = AppColor::secondaryText.resolved();
    QPainterPath body;
    body.addEllipse(QRectF(6, 8, 8.5, 14));
    body.addEllipse(QRectF(13.5, 8, 8.5, 14));
    body.setFillRule(Qt::WindingFill);
    painter.fillPath(body.simplified(), colour);
    QPainterPath bite;
    bite.addEllipse(QRectF(19, 11, 5, 5));
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillPath(bite, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QPainterPath leaf;
    leaf.addEllipse(QRectF(13, 3, 4, 5.5));
    painter.fillPath(leaf, colour);
    return mark;
}

} // namespace

AppleItemsRow::AppleItemsRow(QWidget* parent) : QWidget(parent) {
    setObjectName("row:apple");
    auto* stack = new QHBoxLayout(this);
    stack->setSpacing(10);
    stack->setContentsMargins(8, 6, 8, 6);
    auto* mark = new QLabel(this);
    mark->setFixedSize(28, 28);
    AppearanceFollower::follow(*mark, QStringLiteral("mark"),
                               [](QWidget& shown) { static_cast<QLabel&>(shown).setPixmap(appleMark(2)); });
    stack->addWidget(mark, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    countLabel_ = new QLabel(this);
    countLabel_->setFont(AppFont::body());
    appSecondaryColour(*countLabel_);
    auto* explanation =
        new QLabel(qtText(localized("macOS のアイコンは動かせません。いつも表示します")), this);
    appSecondary(*explanation);
    texts->addWidget(countLabel_);
    texts->addWidget(explanation);
    stack->addLayout(texts, 1);
    setCount(0);
}

void AppleItemsRow::setCount(int count) {
    if (count_ != count) {
        count_ = count;
        countLabel_->setText(qtText(localized("macOS のアイコン（%lld 本のアプリ）", {count})));
    }
}

} // namespace pellacor::app
