#include "Trayvane/Support/NoticeView.h"

#include "Trayvane/Support/NoticeModel.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <functional>

namespace pellacor::app {

namespace {

QLabel* wrapped(const std::string& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

const QFont& titleFont() {
    static const QFont font = [] {
        QFont made = QApplication::font();
        made.setPointSizeF(17);
        made.setWeight(QFont::DemiBold);
        return made;
    }();
    return font;
}

void run(const std::function<void()>& action) {
    if (action) {
        action();
    }
}

} // namespace

NoticeView::NoticeView(std::shared_ptr<NoticeModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
    setObjectName(QStringLiteral("notice:view"));
    setFont(AppFont::body());
    setFixedWidth(width);
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    rebuild();
    subscription_ = model_->observe([this](const NoticeModel::Property&) { rebuild(); });
}

NoticeView::~NoticeView() = default;

void NoticeView::rebuild() {
    // The keyboard focus stays on the part of that name (a button pressed
    // from the keyboard keeps it).
    QString focused;
    if (QWidget* focus = QApplication::focusWidget(); content_ && focus && content_->isAncestorOf(focus)) {
        focused = focus->objectName();
    }
    // A button's action may refill the model while the button is being
    // pressed: the old content goes once the press has unwound.
    if (content_) {
        content_->hide();
        content_->deleteLater();
    }
    content_ = new QWidget(this);
    auto* stack = new QVBoxLayout(content_);
    stack->setContentsMargins(inset, inset, inset, inset);
    stack->setSpacing(spacing);

    auto* title = wrapped(model_->title(), QStringLiteral("notice:title"), content_);
    title->setFont(titleFont());
    stack->addWidget(title);
    stack->addWidget(wrapped(model_->message(), QStringLiteral("notice:message"), content_));

    for (const auto& detail : model_->details()) {
        auto* block = new QWidget(content_);
        block->setObjectName(QStringLiteral("notice:detail:") + QString::fromStdString(detail.label));
        auto* lines = new QVBoxLayout(block);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(4);
        auto* label = wrapped(detail.label, QStringLiteral("notice:detailLabel"), block);
        appHeading(*label);
        auto* text = wrapped(detail.text, QStringLiteral("notice:detailText"), block);
        appSecondary(*text);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        lines->addWidget(label);
        lines->addWidget(text);
        stack->addWidget(block);
    }

    auto* row = new QHBoxLayout();
    row->setSpacing(10);
    row->addStretch(1);
    for (const auto& button : model_->buttons()) {
        auto* pressed = appButton(QString::fromStdString(button.title), button.prominent, content_);
        pressed->setObjectName(QString::fromStdString(button.identifier));
        pressed->setAutoDefault(false);
        connect(pressed, &QPushButton::clicked, this, [action = button.action] { run(action); });
        row->addWidget(pressed, 0, Qt::AlignVCenter);
    }
    stack->addLayout(row);

    if (const auto& note = model_->note()) {
        auto* shown = wrapped(*note, QStringLiteral("notice:note"), content_);
        shown->setFont(AppFont::secondary());
        AppearanceFollower::follow(*shown, QStringLiteral("success"), [](QWidget& view) {
            QPalette palette;
            palette.setColor(QPalette::WindowText,
                             AppColor::successText.resolved(appearanceOf(QApplication::palette())));
            view.setPalette(palette);
        });
        stack->addWidget(shown);
    }
    column_->addWidget(content_);
    // Added to a window already on screen, the new content shows only when told to.
    content_->show();
    if (!focused.isEmpty()) {
        if (auto* again = content_->findChild<QWidget*>(focused)) {
            again->setFocus(Qt::OtherFocusReason);
        }
    }
    setFixedHeight(contentHeight());
    if (QWidget* top = window(); top != this) {
        top->setFixedSize(width, contentHeight());
    }
}

int NoticeView::contentHeight() const {
    return content_ && content_->layout() ? content_->layout()->totalHeightForWidth(width) : 0;
}

bool NoticeView::pressDefault() {
    for (const auto& button : model_->buttons()) {
        if (button.prominent) {
            run(button.action);
            return true;
        }
    }
    return false;
}

bool NoticeView::pressCancel() {
    for (const auto& button : model_->buttons()) {
        if (!button.prominent && button.isCancel) {
            run(button.action);
            return true;
        }
    }
    return false;
}

void NoticeView::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && pressDefault()) {
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        if (!pressCancel() && window() != this) {
            window()->close();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace pellacor::app
