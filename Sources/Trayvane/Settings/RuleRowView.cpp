#include "Trayvane/Settings/RuleRowView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Settings/AppIconView.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/MenuButton.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace pellacor::app {

using core::AppRule;
using core::localized;
using Layout = RuleLayoutChooser::Layout;

namespace {

QString identifier(const char* prefix, const RuleRow& row) {
    return QString::fromLatin1(prefix) + qtText(row.bundleID) + QLatin1Char(':') +
           qtText(std::string(core::rawValue(row.condition)));
}

QHBoxLayout* line() {
    auto* layout = new QHBoxLayout;
    layout->setSpacing(RuleLayoutChooser::spacing);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

RuleRowView::RuleRowView(RuleRow row, bool isFirst, RulesModel& model, std::shared_ptr<IconStore> icons,
                         QWidget* parent)
    : QWidget(parent), row_(std::move(row)), model_(model) {
    setObjectName(identifier("rule:", row_));
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(8);
    stack->setContentsMargins(padding, padding, padding, padding);

    auto* title = line();
    auto* icon = new AppIconView(std::move(icons), row_.bundleID, this);
    title->addWidget(icon, 0, Qt::AlignVCenter);
    auto* name = new QLabel(qtText(row_.appName), this);
    name->setTextFormat(Qt::PlainText);
    name->setFont(AppFont::body());
    title->addWidget(name, 0, Qt::AlignVCenter);
    if (row_.isApplying) {
        auto* marker = new QLabel(qtText(localized("（いま効いています）")), this);
        marker->setObjectName(identifier("rule:applying:", row_));
        appSecondary(*marker);
        title->addWidget(marker, 0, Qt::AlignVCenter);
    }
    title->addStretch(1);
    stack->addLayout(title);

    controls_ = new QWidget(this);
    // Its lines must not hold the row at the one-line width: a narrower row
    // moves them instead.
    controls_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    stack->addWidget(controls_);

    conditionButton_ =
        new MenuButton(qtTitle(core::title(row_.condition)), identifier("rule:condition:", row_), controls_);
    conditionMenu_ = conditionButton_->menu();
    for (const AppRule::Condition condition : core::allConditions) {
        QAction* item = conditionMenu_->addAction(qtTitle(core::title(condition)));
        item->setCheckable(true);
        item->setChecked(condition == row_.condition);
        // Another rule of this application holds the other condition already.
        item->setEnabled(condition == row_.condition || !model_.exists(row_.bundleID, condition));
        connect(item, &QAction::triggered, this, [this, condition] {
            if (model_.onSetCondition) {
                model_.onSetCondition(row_.id, condition);
            }
        });
    }
    isText_ = new QLabel(qtText(localized("は")), controls_);
    isText_->setFont(AppFont::body());
    profileButton_ = new MenuButton(qtTitle(row_.profileName), identifier("rule:profile:", row_), controls_);
    profileMenu_ = profileButton_->menu();
    for (const auto& choice : model_.profiles()) {
        QAction* item = profileMenu_->addAction(qtTitle(choice.name));
        item->setCheckable(true);
        item->setChecked(choice.id == row_.profileID);
        connect(item, &QAction::triggered, this, [this, id = choice.id] {
            if (model_.onSetProfile) {
                model_.onSetProfile(row_.id, id);
            }
        });
    }
    makeText_ = new QLabel(qtText(localized("にする")), controls_);
    makeText_->setFont(AppFont::body());

    buttons_ = new QWidget(controls_);
    auto* buttonLine = line();
    buttons_->setLayout(buttonLine);
    auto* up = appButton(qtText(localized("1つ上へ")), false, buttons_);
    up->setObjectName(identifier("rule:up:", row_));
    up->setEnabled(!isFirst);
    connect(up, &QPushButton::clicked, this, [this] {
        if (model_.onMoveUp) {
            model_.onMoveUp(row_.id);
        }
    });
    auto* remove = appButton(qtText(localized("削除")), false, buttons_);
    remove->setObjectName(identifier("rule:delete:", row_));
    // At once: a deleted rule is quickly added again.
    connect(remove, &QPushButton::clicked, this, [this] {
        if (model_.onDelete) {
            model_.onDelete(row_.id);
        }
    });
    buttonLine->addWidget(up);
    buttonLine->addWidget(remove);
    buttons_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    arrange(Layout::oneLine);
}

RuleLayoutChooser::Widths RuleRowView::widths() const {
    return {conditionButton_->sizeHint().width(), isText_->sizeHint().width(),
            profileButton_->sizeHint().width(), makeText_->sizeHint().width(), buttons_->sizeHint().width()};
}

void RuleRowView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const Layout wanted = RuleLayoutChooser::choose(event->size().width() - 2 * padding, widths());
    if (wanted != layout_) {
        arrange(wanted);
        // A layout made during a resize waits for the next one to place its
        // widgets: place them now, and let the row's height follow the lines.
        controls_->layout()->activate();
    }
}

void RuleRowView::arrange(Layout layout) {
    layout_ = layout;
    // The widgets stay the controls' children; only their lines are remade.
    delete controls_->layout();
    const auto unconstrained = [](QLayout* made) { made->setSizeConstraint(QLayout::SetNoConstraint); };
    auto sentence = [this](QHBoxLayout* into) {
        into->addWidget(conditionButton_, 0, Qt::AlignVCenter);
        into->addWidget(isText_, 0, Qt::AlignVCenter);
        into->addWidget(profileButton_, 0, Qt::AlignVCenter);
        into->addWidget(makeText_, 0, Qt::AlignVCenter);
    };
    auto buttonsLine = [this] {
        auto* into = line();
        into->addStretch(1);
        into->addWidget(buttons_, 0, Qt::AlignVCenter);
        return into;
    };
    if (layout == Layout::oneLine) {
        auto* into = line();
        unconstrained(into);
        controls_->setLayout(into);
        sentence(into);
        into->addSpacing(RuleLayoutChooser::spacing);
        into->addStretch(1);
        into->addWidget(buttons_, 0, Qt::AlignVCenter);
        return;
    }
    auto* into = new QVBoxLayout;
    into->setSpacing(8);
    into->setContentsMargins(0, 0, 0, 0);
    unconstrained(into);
    controls_->setLayout(into);
    if (layout == Layout::buttonsBelow) {
        auto* first = line();
        sentence(first);
        first->addStretch(1);
        into->addLayout(first);
    } else {
        auto* first = line();
        first->addWidget(conditionButton_, 0, Qt::AlignVCenter);
        first->addWidget(isText_, 0, Qt::AlignVCenter);
        first->addStretch(1);
        into->addLayout(first);
        auto* second = line();
        second->addWidget(profileButton_, 0, Qt::AlignVCenter);
        second->addWidget(makeText_, 0, Qt::AlignVCenter);
        second->addStretch(1);
        into->addLayout(second);
    }
    into->addLayout(buttonsLine());
}

} // namespace pellacor::app
