#include "Trayvane/Help/HelpFindBar.h"

#include "MenuBarCore/Support/Localized.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace pellacor::app {

HelpFindBar::HelpFindBar(QTextEdit& text, QWidget* parent) : QLineEdit(parent), text_(text) {
    setObjectName(QStringLiteral("help:find"));
    setPlaceholderText(QString::fromStdString(core::localized("ヘルプの中を検索")));
    setClearButtonEnabled(true);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { find(true); });
    connect(this, &QLineEdit::returnPressed, this, [this] { find(false); });
}

void HelpFindBar::open() {
    show();
    setFocus();
    selectAll();
}

bool HelpFindBar::find(bool fromStart) {
    const QString query = text();
    QTextCursor from = text_.textCursor();
    if (query.isEmpty()) {
        from.clearSelection();
        text_.setTextCursor(from);
        return false;
    }
    from.setPosition(fromStart ? from.selectionStart() : from.selectionEnd());
    QTextCursor found = text_.document()->find(query, from);
    if (found.isNull()) {
        // Past the last match: again from the top.
        found = text_.document()->find(query, 0);
    }
    if (found.isNull()) {
        return false;
    }
    text_.setTextCursor(found);
    text_.ensureCursorVisible();
    return true;
}

void HelpFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        text_.setFocus();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace pellacor::app
