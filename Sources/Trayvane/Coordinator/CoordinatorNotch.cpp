#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

namespace pellacor::coordinator {

// Filled in by the notch work: reacts to a changed notch or fold-rescue switch.
void Coordinator::notchSettingChanged() {}

void Coordinator::setFoldRescue(bool on) {
    if (foldRescue == on) {
        return;
    }
    foldRescue = on;
    if (on) {
        core::Log::app().notice(
            "操作口が畳まれているので、下の段が切でも、ノッチ対策で「表示」のアプリを一時的に"
            "隠して空きを作ります");
    }
    notchSettingChanged();
}

// Filled in by the notch work: starts or stops the screen watch and the notch task.
void Coordinator::updateNotchWatch() {}

} // namespace pellacor::coordinator
