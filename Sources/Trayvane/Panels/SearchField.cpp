#include "Trayvane/Panels/SearchField.h"

#include "MenuBarCore/Support/Localized.h"
#include "Trayvane/Panels/PanelColor.h"
#include "Trayvane/Theme/AppFont.h"
#include "Trayvane/Theme/AppearanceFollower.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

namespace pellacor::app {

namespace {

QString qText(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// The placeholder's grey, as the system draws placeholder text.
const PanelColor placeholder{ThemeColor::dynamic(0x000000, 0xFFFFFF), 0.25};

} // namespace

SearchField::SearchField(QWidget* parent) : QLineEdit(parent) {
    setObjectName("search:field");
    setAccessibleName("search:field");
    setFont(AppFont::nsBody());
    setFrame(false);
    setPlaceholderText(qText(core::localized("アプリの名前（一部でよい）")));
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // No background of its own: the card shows through.
    AppearanceFollower::follow(*this, QStringLiteral("field"), [](QWidget& field) {
        QPalette colours;
        colours.setColor(QPalette::Base, Qt::transparent);
        colours.setColor(QPalette::Text, PanelColor::label.resolved());
        colours.setColor(QPalette::PlaceholderText, placeholder.resolved());
        field.setPalette(colours);
    });
    setAutoFillBackground(false);
    connect(this, &QLineEdit::textChanged, this, [this] { report(); });
}

QString SearchField::shownText() const {
    if (composing_.isEmpty()) {
        return text();
    }
    QString shown = text();
    shown.insert(cursorPosition(), composing_);
    return shown;
}

void SearchField::sync(const std::string& value) {
    const QString wanted = qText(value);
    if (wanted == shownText()) {
        return;
    }
    composing_.clear();
    setText(wanted);
}

void SearchField::report() {
    if (onTextChange) {
        onTextChange(shownText().toStdString());
    }
}

void SearchField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
        if (onMove) {
            onMove(-1);
        }
        break;
    case Qt::Key_Down:
        if (onMove) {
            onMove(1);
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onSubmit) {
            onSubmit();
        }
        break;
    case Qt::Key_Escape:
        if (onCancel) {
            onCancel();
        }
        break;
    default:
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SearchField::inputMethodEvent(QInputMethodEvent* event) {
    const QString before = shownText();
    composing_ = event->preeditString();
    // A commit changes the text, which reports by itself.
    QLineEdit::inputMethodEvent(event);
    if (shownText() != before && event->commitString().isEmpty()) {
        report();
    }
}

void SearchField::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    // One turn later, once the window is up: take the focus if still there.
    QPointer<QWidget> shownIn = window();
    QTimer::singleShot(0, this, [this, shownIn] {
        if (shownIn && window() == shownIn) {
            setFocus(Qt::OtherFocusReason);
        }
    });
}

} // namespace pellacor::app
