#include "Trayvane/Settings/SectionRowView.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/ProductInfo.h"
#include "Trayvane/Common/SectionText.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Settings/AppIconView.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellacor::app {

using core::localized;
using core::SectionRow;

namespace {

std::string shownName(const SectionRow& row, const std::string& baseName) {
    return row.hiddenByMacOS ? localized("%@（非表示中）", {baseName}) : baseName;
}

} // namespace

SectionRowView::SectionRowView(SectionRow row, SectionsModel& model, std::shared_ptr<IconStore> icons,
                               NameLookup name, QWidget* parent)
    : QWidget(parent), row_(std::move(row)), model_(model), nameLookup_(std::move(name)) {
    setObjectName(qtText("row:" + row_.id()));
    setAttribute(Qt::WA_Hover, false);
    auto* stack = new QHBoxLayout(this);
    stack->setSpacing(6);
    stack->setContentsMargins(0, 0, 0, 0);

    // The face: its whole rectangle, margins included, starts a drag.
    auto* face = new QWidget(this);
    auto* faceStack = new QHBoxLayout(face);
    faceStack->setSpacing(10);
    faceStack->setContentsMargins(8, 6, 8, 6);
    icon_ = new AppIconView(std::move(icons), row_.id(), face);
    faceStack->addWidget(icon_, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    name_ = new QLabel(face);
    name_->setTextFormat(Qt::PlainText);
    name_->setFont(AppFont::body());
    note_ = new QLabel(face);
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    appSecondary(*note_);
    texts->addWidget(name_);
    texts->addWidget(note_);
    faceStack->addLayout(texts, 1);
    stack->addWidget(face, 1);

    if (row_.isMovable()) {
        menuButton_ = new QPushButton(qtText(localized("移す")), this);
        menuButton_->setObjectName(qtText("rowMenu:" + row_.id()));
        menuButton_->setFont(AppFont::body());
        menuButton_->setAutoDefault(false);
        menuButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        menu_ = new QMenu(menuButton_);
        menu_->setObjectName(qtText("rowMenuItems:" + row_.id()));
        connect(menu_, &QMenu::aboutToShow, this, [this] { moveMenu(); });
        menuButton_->setMenu(menu_);
        stack->addWidget(menuButton_, 0, Qt::AlignVCenter);
        stack->addSpacing(8);
        setAcceptDrops(true);
    } else {
        // The name of a row the user cannot move is drawn in the secondary colour.
        appSecondaryColour(*name_);
        icon_->setGrey(true);
    }
    setRow(row_);
}

void SectionRowView::setRow(SectionRow row) {
    const bool first = baseName_.empty();
    const bool renamed = first || row.hiddenByMacOS != row_.hiddenByMacOS;
    row_ = std::move(row);
    if (first) {
        baseName_ = row_.kind == SectionRow::Kind::selfItem ? std::string(core::ProductInfo::name)
                    : nameLookup_                           ? nameLookup_(row_.id())
                                                            : row_.id();
    }
    if (renamed) {
        // Names are shown as they are, never read as markup or as a text key.
        name_->setText(qtText(shownName(row_, baseName_)));
    }
    const auto line = note(row_);
    note_->setVisible(line.has_value());
    note_->setText(line ? qtText(*line) : QString());
    icon_->setDimmed(!row_.isRunning);
    menuStale_ = true;
}

std::optional<std::string> SectionRowView::note(const SectionRow& row) {
    std::vector<std::string> parts;
    switch (row.kind) {
    case SectionRow::Kind::apple:
        parts.push_back(localized("macOS のアイコンは動かせません"));
        break;
    case SectionRow::Kind::selfItem:
        parts.push_back(localized("このアプリの操作口です。いつも表示します"));
        break;
    case SectionRow::Kind::movable:
        if (row.iconCount >= 2) {
            parts.push_back(
                localized("アイコン %lld 個・このアプリのアイコンは一緒に動きます", {row.iconCount}));
        }
        break;
    }
    if (!row.isRunning) {
        parts.push_back(localized("いまは動いていません"));
    }
    if (row.hiddenByMacOS) {
        parts.push_back(localized("macOS が出していません。システム設定の「メニューバー」の"
                                  "「メニューバーに追加することを許可」で入にすると出ます"));
    }
    if (parts.empty()) {
        return std::nullopt;
    }
    const std::string separator = localized("・");
    std::string joined = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        joined += separator + parts[i];
    }
    return joined;
}

std::vector<std::string> SectionRowView::droppedStrings(const QMimeData& data) {
    std::vector<std::string> result;
    if (!data.hasText()) {
        return result;
    }
    for (QString line : data.text().split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (!line.isEmpty()) {
            result.push_back(line.toStdString());
        }
    }
    return result;
}

QMimeData* SectionRowView::payload(const std::string& bundleID) {
    auto* data = new QMimeData;
    data->setText(qtText(bundleID));
    return data;
}

QMenu* SectionRowView::moveMenu() {
    if (menu_ && menuStale_) {
        menu_->clear();
        fillMoveItems(*menu_);
        menuStale_ = false;
    }
    return menu_;
}

void SectionRowView::fillMoveItems(QMenu& menu) const {
    // The model outlives the page; the row may be rearranged by the very entry
    // it runs, so the entries hold what they need by value.
    SectionsModel* model = &model_;
    const std::string id = row_.id();
    for (const core::Section section : core::allSections) {
        if (section == row_.section) {
            continue;
        }
        QAction* entry = menu.addAction(qtTitle(localized("「%@」へ移す", {SectionText::title(section)})));
        entry->setObjectName(qtText("move:" + std::string(core::rawValue(section))));
        connect(entry, &QAction::triggered, [model, id, section] { model->move({id}, section); });
    }
    menu.addSeparator();
    QAction* up = menu.addAction(qtTitle(localized("1つ上へ（メニューバーでは左へ）")));
    up->setObjectName(QStringLiteral("move:up"));
    up->setEnabled(model_.neighbor(id, -1).has_value());
    connect(up, &QAction::triggered, [model, id] { model->step(id, -1); });
    QAction* down = menu.addAction(qtTitle(localized("1つ下へ（メニューバーでは右へ）")));
    down->setObjectName(QStringLiteral("move:down"));
    down->setEnabled(model_.neighbor(id, +1).has_value());
    connect(down, &QAction::triggered, [model, id] { model->step(id, +1); });
}

QPixmap SectionRowView::dragPicture() const {
    QWidget picture;
    picture.setAttribute(Qt::WA_DontShowOnScreen);
    auto* stack = new QHBoxLayout(&picture);
    stack->setSpacing(8);
    stack->setContentsMargins(6, 6, 6, 6);
    auto* icon = new QLabel(&picture);
    icon->setPixmap(icon_->picture(devicePixelRatioF()));
    auto* name = new QLabel(qtText(baseName_), &picture);
    name->setTextFormat(Qt::PlainText);
    name->setFont(AppFont::body());
    stack->addWidget(icon, 0, Qt::AlignVCenter);
    stack->addWidget(name, 0, Qt::AlignVCenter);
    picture.adjustSize();
    return picture.grab();
}

void SectionRowView::mousePressEvent(QMouseEvent* event) {
    if (row_.isMovable() && event->button() == Qt::LeftButton) {
        pressedAt_ = event->position().toPoint();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SectionRowView::mouseMoveEvent(QMouseEvent* event) {
    if (pressedAt_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - *pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
        pressedAt_.reset();
        startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void SectionRowView::startDrag() {
    // The drop may rearrange the page while the drag runs; rows are kept and
    // moved between bands rather than destroyed, so this one is still there.
    auto* drag = new QDrag(this);
    drag->setMimeData(payload(row_.id()));
    const QPixmap picture = dragPicture();
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2) / picture.devicePixelRatio());
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void SectionRowView::contextMenuEvent(QContextMenuEvent* event) {
    if (!row_.isMovable()) {
        QWidget::contextMenuEvent(event);
        return;
    }
    auto* menu = new QMenu(this);
    menu->setObjectName(qtText("rowContextMenu:" + row_.id()));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillMoveItems(*menu);
    contextMenu_ = menu;
    menu->popup(event->globalPos());
    event->accept();
}

void SectionRowView::setDropTarget(bool target) {
    if (isDropTarget_ != target) {
        isDropTarget_ = target;
        update();
    }
}

void SectionRowView::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    setDropTarget(true);
    event->acceptProposedAction();
}

void SectionRowView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasText()) {
        event->acceptProposedAction();
    }
}

void SectionRowView::dragLeaveEvent(QDragLeaveEvent*) {
    setDropTarget(false);
}

void SectionRowView::dropEvent(QDropEvent* event) {
    setDropTarget(false);
    const bool taken = model_.reorder(droppedStrings(*event->mimeData()), row_.id());
    // A drop on a row is the row's, taken or not: a refused one must not go
    // on to the band and change the section instead.
    event->setDropAction(taken ? event->proposedAction() : Qt::IgnoreAction);
    event->accept();
}

void SectionRowView::paintEvent(QPaintEvent*) {
    if (!isDropTarget_) {
        return;
    }
    // Where the dropped application will land: in front of this row.
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0, width(), 3), PanelColor::controlAccent.resolved());
}

} // namespace pellacor::app
