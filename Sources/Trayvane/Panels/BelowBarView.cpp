#include "Trayvane/Panels/BelowBarView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Panels/BelowBarCell.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Panels/PanelPainting.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace pellacor::app {

namespace {

constexpr double cornerRadius = 10;

QSize ceilSize(core::Size size) {
    return {static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height))};
}

} // namespace

BelowBarView::BelowBarView(std::shared_ptr<IconStore> icons, BelowBarModel::NameFunction name,
                           std::shared_ptr<BelowBarCellFrames> cellFrames, QWidget* parent)
    : QWidget(parent), icons_(std::move(icons)), name_(std::move(name)), cellFrames_(std::move(cellFrames)) {
    setObjectName("belowbar:view");
    setFont(AppFont::body());
    setAttribute(Qt::WA_TranslucentBackground);
    if (icons_) {
        iconArrivals_ = icons_->observe([this](const std::string& bundleID) { iconArrived(bundleID); });
    }
    setEntries({});
}

void BelowBarView::setEntries(std::vector<core::BelowBarEntry> entries) {
    entries_ = std::move(entries);
    rightPressed_.reset();
    for (BelowBarCell* cell : cells_) {
        // Taken out at once, deleted later: it may be the one whose click is running.
        cell->hide();
        cell->setParent(nullptr);
        cell->deleteLater();
    }
    cells_.clear();
    if (entries_.empty()) {
        if (empty_ == nullptr) {
            empty_ = new QLabel(qtText(core::localized("隠しているアイコンはありません")), this);
            empty_->setObjectName("belowbar:empty");
            empty_->setFont(AppFont::body());
            AppearanceFollower::follow(*empty_, QStringLiteral("empty"), [](QWidget& text) {
                QPalette palette;
                palette.setColor(QPalette::WindowText, PanelColor::label.resolved());
                text.setPalette(palette);
            });
        }
        const QSize line = empty_->sizeHint();
        empty_->setGeometry(static_cast<int>(BelowBarModel::emptyHorizontalPadding),
                            static_cast<int>(BelowBarModel::emptyVerticalPadding), line.width(),
                            line.height());
        empty_->show();
        size_ = ceilSize(BelowBarModel::emptySize(
            {static_cast<double>(line.width()), static_cast<double>(line.height())}));
    } else {
        if (empty_ != nullptr) {
            empty_->hide();
        }
        std::vector<double> heights;
        for (const auto& entry : entries_) {
            const QString label = qtText(BelowBarModel::label(entry, name_));
            auto* cell = new BelowBarCell(entry, label, this);
            connect(cell, &QAbstractButton::clicked, this, [this, entry] { press(entry); });
            cell->setIcon(icons_ ? icons_->image(entry.bundleID) : std::nullopt);
            heights.push_back(std::ceil(BelowBarModel::cellHeight(BelowBarCell::labelHeight(label))));
            cells_.push_back(cell);
        }
        const BelowBarModel::Grid grid = BelowBarModel::grid(heights);
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            const core::Rect& frame = grid.cells[i];
            cells_[i]->setGeometry(
                QRectF(frame.minX(), frame.minY(), frame.width(), frame.height()).toRect());
            cells_[i]->show();
            if (cellFrames_) {
                cellFrames_->store(entries_[i].id(), frame);
            }
        }
        size_ = ceilSize(grid.size);
    }
    setFixedSize(size_);
    updateGeometry();
    update();
}

std::optional<core::BelowBarEntry> BelowBarView::entry(QPointF at) const {
    if (!cellFrames_) {
        return std::nullopt;
    }
    return cellFrames_->entry({at.x(), at.y()}, entries_);
}

void BelowBarView::press(const core::BelowBarEntry& entry) const {
    if (onPress) {
        onPress(entry);
    }
}

void BelowBarView::iconArrived(const std::string& bundleID) {
    for (BelowBarCell* cell : cells_) {
        if (cell->entry().bundleID == bundleID) {
            cell->setIcon(icons_->image(bundleID));
        }
    }
}

void BelowBarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelPainting::card(painter, rect(), cornerRadius);
}

// A cell ignores the right button, so its presses and releases come here.
void BelowBarView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    rightPressed_ = entry(event->position());
    event->accept();
}

void BelowBarView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const auto pressed = std::exchange(rightPressed_, std::nullopt);
    if (pressed && entry(event->position()) == pressed) {
        press(*pressed);
    }
    event->accept();
}

// No context menu: a right click presses.
void BelowBarView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

} // namespace pellacor::app
