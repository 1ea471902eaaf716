#include "Trayvane/Windows/Sheet.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Theme/AppButton.h"
#include "Trayvane/Theme/AppColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/Appearance.h"
#include "Trayvane/Theme/QtText.h"
#include "Trayvane/Theme/ThemeViews.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

namespace pellacor::app {

void returnFocusOnClose(QDialog& sheet) {
    QWidget* owner = sheet.parentWidget();
    if (owner == nullptr) {
        return;
    }
    const QPointer<QWidget> window = owner->window();
    QPointer<QWidget> opener = QApplication::focusWidget();
    if (opener && opener->window() != window) {
        opener = nullptr;
    }
    QObject::connect(&sheet, &QDialog::finished, window, [window, opener] {
        if (!window || !window->isVisible()) {
            return;
        }
        window->activateWindow();
        if (opener && opener->isVisible() && opener->isEnabled()) {
            opener->setFocus(Qt::OtherFocusReason);
        }
    });
}

std::function<void()> frontAndDismissal(QDialog& dialog) {
    dialog.raise();
    dialog.activateWindow();
    return [panel = QPointer<QDialog>(&dialog)] {
        if (panel) {
            QObject::disconnect(panel, &QDialog::finished, nullptr, nullptr);
            panel->close();
        }
    };
}

Sheet::Sheet(const char* identifier, int width, QWidget* parent) : QDialog(parent), width_(width) {
    setObjectName(identifier);
    setWindowModality(Qt::WindowModal);
    setFont(AppFont::body());
}

void Sheet::open() {
    returnFocusOnClose(*this);
    QDialog::open();
}

QVBoxLayout* Sheet::makeStack(int spacing) {
    stack_ = new QVBoxLayout(this);
    stack_->setSpacing(spacing);
    stack_->setContentsMargins(padding, padding, padding, padding);
    stack_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return stack_;
}

void Sheet::fitHeight() {
    layout()->invalidate();
    layout()->activate();
    // Without a wrapping text the height does not depend on the width.
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width_)
                                                     : layout()->totalSizeHint().height();
    setFixedSize(width_, height);
}

AppButton* Sheet::addButtons(const QString& cancelName, const std::string& confirmText,
                             const QString& confirmName, bool confirmIsDefault) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = appButton(qtText(core::localized("キャンセル")), false, this);
    cancel->setObjectName(cancelName);
    auto* confirm = appButton(qtText(confirmText), confirmIsDefault, this);
    confirm->setObjectName(confirmName);
    cancel->setAutoDefault(false);
    confirm->setAutoDefault(false);
    confirm->setDefault(confirmIsDefault);
    buttons->addWidget(cancel, 0, Qt::AlignVCenter);
    buttons->addWidget(confirm, 0, Qt::AlignVCenter);
    stack_->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return confirm;
}

void Sheet::addProblemText(const QString& name) {
    problemText_ = new QLabel(this);
    problemText_->setObjectName(name);
    problemText_->setWordWrap(true);
    problemText_->setTextFormat(Qt::PlainText);
    appSecondaryFont(*problemText_);
    problemText_->hide();
    stack_->addWidget(problemText_);
}

void Sheet::showProblem(const std::string& problem) {
    QPalette palette = problemText_->palette();
    palette.setColor(QPalette::WindowText,
                     AppColor::errorText.resolved(appearanceOf(QApplication::palette())));
    problemText_->setPalette(palette);
    problemText_->setText(qtText(problem));
    problemText_->show();
    fitHeight();
}

} // namespace pellacor::app
