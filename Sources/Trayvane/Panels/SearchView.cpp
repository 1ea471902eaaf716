#include "Trayvane/Panels/SearchView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Panels/BelowBarModel.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Panels/PanelPainting.h"
#include "Trayvane/Panels/SearchField.h"
#include "Trayvane/Panels/SearchRows.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace pellacor::app {

namespace {

// The magnifying glass before the field, in the secondary text colour.
class Magnifier final : public QWidget {
public:
    static constexpr int side = 18;

    explicit Magnifier(QWidget* parent) : QWidget(parent) { setFixedSize(side, side); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(AppColor::secondaryText.resolved(), 1.8, Qt::SolidLine, Qt::RoundCap));
        painter.drawEllipse(QPointF(7.5, 7.5), 5.6, 5.6);
        painter.drawLine(QPointF(11.6, 11.6), QPointF(16, 16));
    }
};

// The one-point line between the field and the list.
class Divider final : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), PanelColor::separator.resolved());
    }
};

// A thin scroll bar over a clear groove, as overlay scroll bars look.
QString scrollBarStyle() {
    const QColor knob = PanelColor::label.resolved(0.35);
    return QString("QScrollBar:vertical { width: 10px; background: transparent; margin: 6px 2px 6px 0; }"
                   "QScrollBar::handle:vertical { background: %1; border-radius: 4px; min-height: 28px; }"
                   "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                   "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
        .arg(knob.name(QColor::HexArgb));
}

} // namespace

SearchView::SearchView(std::shared_ptr<SearchModel> model, std::shared_ptr<IconStore> icons, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
    setObjectName("search:view");
    setFont(AppFont::body());
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(width);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(14, 12, 14, 12);
    header->setSpacing(8);
    header->addWidget(new Magnifier(this), 0, Qt::AlignVCenter);
    field_ = new SearchField(this);
    header->addWidget(field_, 1, Qt::AlignVCenter);
    column->addLayout(header);
    column->addWidget(new Divider(this));

    auto* listArea = new QWidget(this);
    listArea->setFixedHeight(listHeight);
    auto* stack = new QStackedLayout(listArea);
    scrollArea_ = new QScrollArea(listArea);
    scrollArea_->setObjectName("search:list");
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrollArea_->setWidgetResizable(true);
    AppearanceFollower::follow(*scrollArea_, QStringLiteral("scroll bar"),
                               [](QWidget& area) { area.setStyleSheet(scrollBarStyle()); });
    scrollArea_->viewport()->setAutoFillBackground(false);
    scrollArea_->setAutoFillBackground(false);
    const SearchModel* shown = model_.get();
    rows_ = new SearchRows(std::move(icons), [shown](const core::SearchCandidate& candidate) {
        return qtText(BelowBarModel::label(
            candidate.entry, [shown](const std::string& id) { return shown->displayName(id); }));
    });
    scrollArea_->setWidget(rows_);
    rows_->setAutoFillBackground(false);
    emptyText_ = new QLabel(listArea);
    emptyText_->setObjectName("search:empty");
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setFont(AppFont::secondary());
    AppearanceFollower::follow(*emptyText_, QStringLiteral("empty"), [](QWidget& text) {
        QPalette colours;
        colours.setColor(QPalette::WindowText, AppColor::secondaryText.resolved());
        text.setPalette(colours);
    });
    stack->addWidget(scrollArea_);
    stack->addWidget(emptyText_);
    column->addWidget(listArea);

    field_->onMove = [this](int step) { model_->move(step); };
    field_->onSubmit = [this] { model_->submit(); };
    field_->onCancel = [this] {
        if (model_->onCancel) {
            model_->onCancel();
        }
    };
    field_->onTextChange = [this](const std::string& typed) { model_->setQuery(typed); };
    rows_->onClick = [this](const core::SearchCandidate& candidate) {
        model_->select(candidate);
        model_->submit();
    };
    connect(scrollArea_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { revealVisibleRows(); });
    modelChanges_ =
        model_->observers.observe([this](SearchModel::Property changed) { modelChanged(changed); });

    field_->sync(model_->query());
    showResults();
    adjustSize();
}

QSize SearchView::sizeHint() const {
    return {width, layout()->sizeHint().height()};
}

void SearchView::modelChanged(SearchModel::Property changed) {
    switch (changed) {
    case SearchModel::Property::query:
        field_->sync(model_->query());
        showResults();
        break;
    case SearchModel::Property::candidates:
    case SearchModel::Property::names:
        showResults();
        break;
    case SearchModel::Property::selection:
        rows_->setSelection(model_->selection());
        scrollToSelection();
        break;
    }
}

void SearchView::showResults() {
    auto results = model_->results();
    auto* stack = static_cast<QStackedLayout*>(scrollArea_->parentWidget()->layout());
    if (results.empty()) {
        rows_->setResults({}, 0);
        emptyText_->setText(
            qtText(core::localized(model_->candidates().empty() ? "メニューバーのアイコンをまだ読めていません"
                                                                : "合うアプリはありません")));
        stack->setCurrentWidget(emptyText_);
        return;
    }
    rows_->setResults(std::move(results), model_->selection());
    stack->setCurrentWidget(scrollArea_);
    revealVisibleRows();
}

void SearchView::revealVisibleRows() {
    const int top = scrollArea_->verticalScrollBar()->value();
    // Before the first layout the viewport has no height yet: the list area's is used.
    const int height = std::max(scrollArea_->viewport()->height(), listHeight);
    rows_->reveal(top, top + height);
}

void SearchView::scrollToSelection() {
    const int selection = model_->selection();
    if (selection < 0 || static_cast<std::size_t>(selection) >= rows_->count()) {
        return;
    }
    // The least movement that shows the whole row with the list's padding
    // around it (so the first and the last row scroll fully home).
    const QRect frame = rows_->rowRect(static_cast<std::size_t>(selection))
                            .adjusted(0, -SearchRows::padding, 0, SearchRows::padding);
    QScrollBar* bar = scrollArea_->verticalScrollBar();
    const int shown = scrollArea_->viewport()->height();
    if (frame.top() < bar->value()) {
        bar->setValue(frame.top());
    } else if (frame.bottom() + 1 > bar->value() + shown) {
        bar->setValue(frame.bottom() + 1 - shown);
    }
}

void SearchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PanelPainting::card(painter, rect(), cornerRadius);
}

} // namespace pellacor::app
