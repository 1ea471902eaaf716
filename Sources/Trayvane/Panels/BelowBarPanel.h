#pragma once

#include "Trayvane/Panels/FloatingPanel.h"

namespace pellacor::app {

// The below-bar panel's window: floating at the status-window level, shown
// without taking the focus from the frontmost application. Escape in it
// cancels. Its accessibility identifier is "belowbar:panel".
class BelowBarPanel final : public FloatingPanel {
    Q_OBJECT

public:
    // The window level of status windows, where the panel floats.
    static constexpr int level = 25;

    BelowBarPanel();
};

} // namespace pellacor::app
