#pragma once

#include <QLineEdit>

class QTextEdit;

namespace pellacor::app {

// The help text's find bar: hidden until ⌃F, it finds as the user types
// (from where the current match starts, so a longer query stays on it),
// Return finds the next match, wrapping to the top, and Escape hides it and
// hands the keys back to the text.
class HelpFindBar final : public QLineEdit {
    Q_OBJECT

public:
    explicit HelpFindBar(QTextEdit& text, QWidget* parent = nullptr);

    // Shows the bar with its query selected, ready to type over.
    void open();
    // Finds the query from `fromStart` or from just after the current match;
    // false when the text does not hold it.
    bool find(bool fromStart);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTextEdit& text_;
};

} // namespace pellacor::app
