#include "Trayvane/Onboarding/PermissionGuideView.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Onboarding/PermissionGuideText.h"
#include "Trayvane/Onboarding/SymbolView.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace pellacor::app {

using core::localized;

namespace {

QLabel* wrapping(const std::string& value, QWidget* parent) {
    auto* label = new QLabel(qtText(value), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFont titleFont() {
    QFont font;
    font.setPixelSize(17);
    font.setWeight(QFont::DemiBold);
    return font;
}

// The first line a text lays out in, fallback fonts included: its ascent and height.
struct FirstLine {
    double ascent = 0;
    int height = 0;
};

FirstLine firstLine(const QString& value, const QFont& font) {
    QTextLayout layout(value.isEmpty() ? QStringLiteral(" ") : value, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    return {line.ascent(), static_cast<int>(std::ceil(line.height()))};
}

SymbolView::Colour themed(ThemeColor colour) {
    return [colour](const QWidget& view) { return colour.resolved(appearanceOf(view.palette())); };
}

// A row of a symbol and a wrapping text on one line of that text.
QHBoxLayout* symbolRow(int spacing) {
    auto* row = new QHBoxLayout;
    row->setSpacing(spacing);
    row->setContentsMargins(0, 0, 0, 0);
    row->setAlignment(Qt::AlignTop);
    return row;
}

} // namespace

PermissionGuideView::PermissionGuideView(PermissionGuideModel& model, QWidget* parent)
    : AuxiliaryWindowFrame(parent), model_(model) {
    setObjectName("permissionGuide");
    setFont(AppFont::body());
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(16);
    stack->setContentsMargins(padding, padding, padding, padding);

    // Title: the raised hand in the accent colour beside the request.
    auto* title = symbolRow(10);
    const QFont heading = titleFont();
    auto* titleText = wrapping(PermissionGuideText::title(), this);
    titleText->setFont(heading);
    auto* hand = new SymbolView(
        "hand.raised", 22, [](const QWidget& view) { return view.palette().color(QPalette::Highlight); },
        firstLine(titleText->text(), heading).height, this);
    title->addWidget(hand, 0, Qt::AlignTop);
    title->addWidget(titleText, 1);
    stack->addLayout(title);

    stack->addWidget(wrapping(PermissionGuideText::why(), this));
    auto* safe = wrapping(PermissionGuideText::safe(), this);
    appSecondary(*safe);
    stack->addWidget(safe);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(8);
    auto* where = new QLabel(qtText(localized("押す場所")), this);
    appHeading(*where);
    steps->addWidget(where);
    for (const auto& step : PermissionGuideText::steps()) {
        auto* row = symbolRow(8);
        auto* number = new QLabel(qtText(localized("%lld.", {step.number})), this);
        number->setObjectName(QStringLiteral("permission:step%1").arg(step.number));
        number->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* words = wrapping(step.text, this);
        // The number stands on the first line's baseline, which the text's
        // fallback fonts may lower.
        const double lower =
            firstLine(words->text(), font()).ascent - firstLine(number->text(), font()).ascent;
        number->setContentsMargins(0, std::max(0, static_cast<int>(std::lround(lower))), 0, 0);
        row->addWidget(number, 0, Qt::AlignTop);
        row->addWidget(words, 1);
        steps->addLayout(row);
    }
    stack->addLayout(steps);

    // Status: whether the permission is there; one element for accessibility.
    statusRow_ = new QWidget(this);
    statusRow_->setObjectName("permission:status");
    auto* status = symbolRow(8);
    status->setParent(nullptr);
    statusRow_->setLayout(status);
    statusText_ = wrapping({}, statusRow_);
    appSecondary(*statusText_);
    statusSymbol_ = new SymbolView({}, 16, {}, 0, statusRow_);
    status->addWidget(statusSymbol_, 0, Qt::AlignTop);
    status->addWidget(statusText_, 1);
    stack->addWidget(statusRow_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    openSettings_ = appButton(qtText(localized("システム設定を開く")), true, this);
    openSettings_->setObjectName("permission:openSettings");
    auto* relaunch = appButton(qtText(localized("開き直す")), false, this);
    relaunch->setObjectName("permission:relaunch");
    close_ = appButton(qtText(localized("閉じる")), false, this);
    close_->setObjectName("permission:close");
    buttons->addWidget(openSettings_, 0, Qt::AlignVCenter);
    buttons->addWidget(relaunch, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(close_, 0, Qt::AlignVCenter);
    stack->addLayout(buttons);

    connect(openSettings_, &QPushButton::clicked, this, [this] { model_.openSettings(); });
    connect(relaunch, &QPushButton::clicked, this, [this] { model_.relaunch(); });
    connect(close_, &QPushButton::clicked, this, [this] { model_.close(); });

    statusChanges_ = model_.observe([this] { showStatus(); });
    showStatus();
}

void PermissionGuideView::showStatus() {
    const auto status = model_.status();
    statusText_->setText(qtText(status.text));
    statusSymbol_->setSymbol(status.symbol, themed(status.symbolColour));
    statusSymbol_->setLineHeight(firstLine(statusText_->text(), statusText_->font()).height);
    statusRow_->setAccessibleName(statusText_->text());
    fitHeight();
}

void PermissionGuideView::fitHeight() {
    // The window takes the content's size: fixed width, the height its text
    // needs now (a changed text has not reached the layouts' caches yet).
    statusRow_->layout()->invalidate();
    statusRow_->updateGeometry();
    layout()->invalidate();
    layout()->activate();
    setFixedSize(guideWidth, layout()->totalHeightForWidth(guideWidth));
}

void PermissionGuideView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openSettings_->click();
        return;
    case Qt::Key_Escape:
        close_->click();
        return;
    default:
        AuxiliaryWindowFrame::keyPressEvent(event);
    }
}

} // namespace pellacor::app
