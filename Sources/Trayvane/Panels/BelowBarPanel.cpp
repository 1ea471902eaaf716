#include "Trayvane/Panels/BelowBarPanel.h"

namespace pellacor::app {

BelowBarPanel::BelowBarPanel() : FloatingPanel("belowbar:panel") {
    setAttribute(Qt::WA_ShowWithoutActivating);
}

} // namespace pellacor::app
