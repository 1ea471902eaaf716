#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The search panel's window: borderless and transparent (the card it holds is
// what the user sees), floating above ordinary windows, and able to become
// the key window so that it takes the keyboard. Escape that reaches it
// cancels; losing the activation (a click elsewhere, another application
// frontmost) is reported. Its accessibility identifier is "search:panel".
class SearchPanel final : public QWidget {
    Q_OBJECT

public:
    // The window level of floating panels, where it stands in the window list.
    static constexpr int level = 3;

    SearchPanel();

    std::function<void()> onCancel;
    // The panel was the active window and is no longer.
    std::function<void()> onResignKey;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
};

} // namespace pellacor::app
