#include "Trayvane/Settings/SettingsCheckBox.h"

#include "Trayvane/Onboarding/SymbolView.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/Appearance.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

namespace pellacor::app {

namespace {

constexpr double markPoints = 16;

} // namespace

SettingsCheckBox::SettingsCheckBox(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    // Not checkable on purpose: Qt would toggle it on the click itself.
    setCheckable(false);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setText(label);
    setAccessibleName(label);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    const int lineHeight = QFontMetrics(AppFont::body()).height();
    mark_ = new SymbolView("square", markPoints, {}, lineHeight, this);
    // The children let the clicks through, so the button gets them anywhere in the row.
    mark_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_ = new QLabel(label, this);
    label_->setFont(AppFont::body());
    label_->setTextFormat(Qt::PlainText);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(mark_, 0, Qt::AlignVCenter);
    row->addWidget(label_, 0, Qt::AlignVCenter);

    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onRequest) {
            onRequest(!on_);
        }
    });
    showState();
}

void SettingsCheckBox::setOn(bool on) {
    if (on != on_) {
        on_ = on;
        showState();
    }
}

const std::string& SettingsCheckBox::symbol() const {
    return mark_->symbol();
}

void SettingsCheckBox::showState() {
    if (on_) {
        mark_->setSymbol("checkmark.square.fill",
                         [](const QWidget& view) { return view.palette().color(QPalette::Highlight); });
    } else {
        mark_->setSymbol("square", [](const QWidget& view) {
            return AppColor::secondaryText.resolved(appearanceOf(view.palette()));
        });
    }
    // Read by assistive tools as the selected trait.
    setAccessibleDescription(on_ ? QStringLiteral("selected") : QString());
}

QSize SettingsCheckBox::sizeHint() const {
    return layout()->sizeHint();
}

void SettingsCheckBox::paintEvent(QPaintEvent* /*event*/) {
    // The mark and the label draw themselves.
}

} // namespace pellacor::app
