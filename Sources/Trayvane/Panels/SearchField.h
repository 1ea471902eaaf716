#pragma once

#include <QLineEdit>
#include <functional>
#include <string>

namespace pellacor::app {

// The search panel's text field: one borderless line with the placeholder
// "アプリの名前（一部でよい）". Up and Down move the selection, Return
// presses, Escape cancels; every other key edits the text. The text reported
// includes what an input method is still composing, so the list narrows while
// the user types Japanese. It takes the keyboard focus as soon as it is shown
// in a window. Its accessibility identifier is "search:field".
class SearchField final : public QLineEdit {
    Q_OBJECT

public:
    explicit SearchField(QWidget* parent = nullptr);

    std::function<void(int step)> onMove;
    std::function<void()> onSubmit;
    std::function<void()> onCancel;
    std::function<void(const std::string& text)> onTextChange;

    // The text as the user sees it: the committed text with the input
    // method's composition at the cursor.
    QString shownText() const;
    // Shows `text` unless it is already what the field shows (so clearing the
    // query empties the field, and a composition in progress is left alone).
    void sync(const std::string& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void report();

    QString composing_;
};

} // namespace pellacor::app
