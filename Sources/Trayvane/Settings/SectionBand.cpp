#include "Trayvane/Settings/SectionBand.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Common/SectionText.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/AppleItemsRow.h"
#include "Trayvane/Settings/SectionRowView.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsDivider.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QDragEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;

namespace {

constexpr double cornerRadius = 8;

} // namespace

SectionBand::SectionBand(core::Section section, SectionsModel& model, QWidget* parent)
    : QWidget(parent), section_(section), model_(model) {
    const std::string raw(core::rawValue(section));
    setObjectName(qtText("bandView:" + raw));
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(6);
    stack->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(qtText(SectionText::title(section)), this);
    appHeading(*title);
    auto* caption = new QLabel(qtText(SectionText::caption(section)), this);
    caption->setWordWrap(true);
    appSecondary(*caption);
    stack->addWidget(title);
    stack->addWidget(caption);

    box_ = new QWidget(this);
    box_->setObjectName(qtText("band:" + raw));
    box_->setAccessibleName(qtText(localized("置き場所：%@", {SectionText::title(section)})));
    box_->setAcceptDrops(true);
    box_->installEventFilter(this);
    content_ = new QVBoxLayout(box_);
    content_->setSpacing(0);
    content_->setContentsMargins(6, 6, 6, 6);
    placeholder_ = new QLabel(qtText(localized("ここにアプリをドラッグします")), box_);
    placeholder_->setAlignment(Qt::AlignCenter);
    placeholder_->setMinimumHeight(44);
    appSecondary(*placeholder_);
    appleRow_ = new AppleItemsRow(box_);
    stack->addWidget(box_);
    arrange({}, 0);
}

void SectionBand::arrange(const std::vector<SectionRowView*>& rows, int appleCount) {
    while (QLayoutItem* item = content_->takeAt(0)) {
        delete item;
    }
    for (QFrame* divider : dividers_) {
        divider->hide();
    }
    placeholder_->setVisible(rows.empty() && appleCount == 0);
    if (placeholder_->isVisibleTo(this)) {
        content_->addWidget(placeholder_);
    }
    std::size_t used = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SectionRowView* row = rows[i];
        if (row->parentWidget() != box_) {
            row->setParent(box_);
        }
        content_->addWidget(row);
        row->show();
        if (i + 1 < rows.size() || appleCount > 0) {
            if (used == dividers_.size()) {
                dividers_.push_back(settingsDivider(box_, QStringLiteral("band:divider")));
            }
            content_->addWidget(dividers_[used]);
            dividers_[used]->show();
            ++used;
        }
    }
    appleRow_->setVisible(appleCount > 0);
    if (appleCount > 0) {
        appleRow_->setCount(appleCount);
        content_->addWidget(appleRow_);
    }
}

std::vector<QWidget*> SectionBand::shownContent() const {
    std::vector<QWidget*> shown;
    for (int i = 0; i < content_->count(); ++i) {
        QWidget* widget = content_->itemAt(i)->widget();
        if (widget && widget->isVisibleTo(box_)) {
            shown.push_back(widget);
        }
    }
    return shown;
}

void SectionBand::setTargeted(bool targeted) {
    if (isTargeted_ != targeted) {
        isTargeted_ = targeted;
        box_->update();
    }
}

bool SectionBand::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!drag->mimeData()->hasText()) {
            drag->ignore();
            return true;
        }
        setTargeted(true);
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData()->hasText()) {
            setTargeted(true);
            drag->acceptProposedAction();
        }
        return true;
    }
    case QEvent::DragLeave:
        setTargeted(false);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        setTargeted(false);
        if (model_.move(SectionRowView::droppedStrings(*drop->mimeData()), section_)) {
            drop->acceptProposedAction();
        } else {
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
        }
        return true;
    }
    case QEvent::Paint:
        paintBox();
        return false;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void SectionBand::paintBox() {
    QPainter painter(box_);
    painter.setRenderHint(QPainter::Antialiasing);
    const double line = isTargeted_ ? 3 : 1;
    const QRectF outline = QRectF(box_->rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    QPainterPath shape;
    shape.addRoundedRect(outline, cornerRadius, cornerRadius);
    painter.fillPath(shape, PanelColor::controlBackground.resolved());
    painter.setPen(
        QPen(isTargeted_ ? PanelColor::controlAccent.resolved() : PanelColor::separator.resolved(), line));
    painter.drawPath(shape);
}

} // namespace pellacor::app
