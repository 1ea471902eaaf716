#include "Trayvane/App/FeatureSwitches.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Common/DefaultsKey.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Settings/GeneralModel.h"

#include <fmt/format.h>
#include <string_view>

namespace pellacor::app {

using coordinator::Coordinator;

namespace {

// One feature switch: its user-defaults key and how its stored value reads,
// its General-page property and closure, the coordinator's field, the
// reaction to a change of it and the log line.
struct Switch {
    const char* key;
    bool (*read)(const RevealPreferences&);
    void (GeneralModel::*setGeneral)(bool);
    std::function<void(bool)> GeneralModel::*closure;
    bool Coordinator::*field;
    void (*reaction)(Coordinator&);
    fmt::format_string<std::string_view> logLine;
};

void setSwitch(Coordinator& coordinator, bool Coordinator::*field, void (*reaction)(Coordinator&),
               bool value) {
    if (coordinator.*field == value) {
        return;
    }
    coordinator.*field = value;
    reaction(coordinator);
}

// The two switches that are off when absent are read as plain booleans; the
// others have defaults of their own.
const Switch featureSwitches[] = {
    {DefaultsKey::hoverRevealEnabled,
     [](const RevealPreferences& preferences) {
         return preferences.defaults.boolean(DefaultsKey::hoverRevealEnabled);
     },
     &GeneralModel::setHoverReveal, &GeneralModel::onSetHoverReveal, &Coordinator::hoverRevealEnabled,
     [](Coordinator& c) { c.updateHoverWatch(); }, "マウスを乗せて出すを{}にしました"},
    {DefaultsKey::belowBarEnabled,
     [](const RevealPreferences& preferences) {
         return preferences.defaults.boolean(DefaultsKey::belowBarEnabled);
     },
     &GeneralModel::setBelowBar, &GeneralModel::onSetBelowBar, &Coordinator::belowBarEnabled,
     [](Coordinator& c) {
         // Switched off: the panel closes before the notch handling is judged again.
         if (!c.belowBarEnabled) {
             c.setBelowBar(false);
         }
         c.notchSettingChanged();
     },
     "下の段を{}にしました"},
    {DefaultsKey::userSwitcherStandInEnabled,
     [](const RevealPreferences& preferences) { return preferences.userSwitcherStandIn(); },
     &GeneralModel::setUserSwitcherStandIn, &GeneralModel::onSetUserSwitcherStandIn,
     &Coordinator::userSwitcherStandInEnabled, [](Coordinator& c) { c.updateStandIn(); },
     "利用者の切り替えの代わりのアイコンを{}にしました"},
    {DefaultsKey::dragSortEnabled,
     [](const RevealPreferences& preferences) { return preferences.dragSort(); }, &GeneralModel::setDragSort,
     &GeneralModel::onSetDragSort, &Coordinator::dragSortEnabled, [](Coordinator& c) { c.updateDragWatch(); },
     "⌘ドラッグで区画を変えるを{}にしました"},
    {DefaultsKey::notchOverflowEnabled,
     [](const RevealPreferences& preferences) { return preferences.notchOverflow(); },
     &GeneralModel::setNotchOverflow, &GeneralModel::onSetNotchOverflow, &Coordinator::notchOverflowEnabled,
     [](Coordinator& c) { c.notchSettingChanged(); }, "入りきらないアプリを下の段へを{}にしました"},
};

} // namespace

void FeatureSwitches::connect(const std::shared_ptr<Coordinator>& coordinator,
                              const std::shared_ptr<GeneralModel>& general,
                              const RevealPreferences& preferences) {
    const std::weak_ptr<Coordinator> weakCoordinator = coordinator;
    const std::weak_ptr<GeneralModel> weakGeneral = general;
    for (const Switch& which : featureSwitches) {
        const bool stored = which.read(preferences);
        setSwitch(*coordinator, which.field, which.reaction, stored);
        ((*general).*which.setGeneral)(stored);
        (*general).*which.closure = [weakCoordinator, weakGeneral, defaults = preferences.defaults,
                                     &which](bool on) mutable {
            const auto page = weakGeneral.lock();
            if (!page) {
                return;
            }
            // Written and logged even when it holds that value already; the
            // coordinator reacts only to a change.
            defaults.setBool(which.key, on);
            ((*page).*which.setGeneral)(on);
            if (const auto engine = weakCoordinator.lock()) {
                setSwitch(*engine, which.field, which.reaction, on);
            }
            core::Log::app().info(which.logLine, std::string_view(on ? "入" : "切"));
        };
    }
}

} // namespace pellacor::app
