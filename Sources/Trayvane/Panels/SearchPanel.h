#pragma once

#include <QWidget>
#include <functional>

namespace pellacor::app {

// The search panel's window: borderless and transparent (the card it holds is
// what the user sees), floating above ordinary windows, and able to become
// the key window so that it takes the keyboard. Escape that reaches it
// cancels, and so does a request to close it (the close command): the panel
// is only ever taken away by its owner, which must hear of it. Losing the
// activation (a click elsewhere, another application frontmost) is
// reported. Its accessibility identifier is "search:panel".
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
    void closeEvent(QCloseEvent* event) override;
};

} // namespace pellacor::app
