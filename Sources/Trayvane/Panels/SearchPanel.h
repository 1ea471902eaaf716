#pragma once

#include "Trayvane/Panels/FloatingPanel.h"

#include <functional>

namespace pellacor::app {

// The search panel's window: it can become the key window, so that it takes
// the keyboard. Escape that reaches it cancels, and so does a request to
// close it (the close command): the panel is only ever taken away by its
// owner, which must hear of it. Losing the activation (a click elsewhere,
// another application frontmost) is reported. Its accessibility identifier
// is "search:panel".
class SearchPanel final : public FloatingPanel {
    Q_OBJECT

public:
    // The window level of floating panels, where it stands in the window list.
    static constexpr int level = 3;

    SearchPanel();

    // The panel was the active window and is no longer.
    std::function<void()> onResignKey;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

} // namespace pellacor::app
