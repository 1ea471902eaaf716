#include "Trayvane/App/HotkeysComponent.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Input/HotkeyCenter.h"
#include "MenuBarSystem/Input/HotkeyProblem.h"
#include "Trayvane/App/PanelsComponent.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/StatusItem/ControlItem.h"

#include <fmt/format.h>
#include <utility>

namespace pellacor::app {

HotkeysComponent::HotkeysComponent(std::shared_ptr<platform::HotkeyManager> manager,
                                   const std::weak_ptr<coordinator::Coordinator>& coordinator,
                                   std::weak_ptr<PanelsComponent> panels, ControlItem& control)
    : center_(std::make_unique<system::HotkeyCenter>(std::move(manager))) {
    const system::Hotkey& reveal = system::Hotkey::reveal;
    const auto revealProblem = center_->registerHotkey(reveal, [coordinator] {
        if (const auto engine = coordinator.lock()) {
            engine->toggle(false);
        }
    });
    if (revealProblem) {
        if (revealProblem->kind() == system::HotkeyProblem::Kind::takenBySystemShortcut) {
            core::Log::app().error("ホットキー {} は macOS のショートカットが使っています",
                                   reveal.displayName);
        } else {
            core::Log::app().error("ホットキー {} を登録できませんでした（{}）", reveal.displayName,
                                   revealProblem->status());
        }
    }
    control.hotkeyNote = hotkeyNote(reveal, revealProblem);

    const system::Hotkey& search = system::Hotkey::search;
    const auto searchProblem = center_->registerHotkey(search, [panels = std::move(panels)] {
        if (const auto shown = panels.lock()) {
            shown->toggleSearch();
        }
    });
    if (searchProblem) {
        core::Log::app().error("ホットキー {} を登録できませんでした（{}）", search.displayName,
                               system::toString(*searchProblem));
    }
}

HotkeysComponent::~HotkeysComponent() = default;

void HotkeysComponent::takeDown() {
    center_->unregisterAll();
}

std::optional<std::string> HotkeysComponent::hotkeyNote(const system::Hotkey& hotkey,
                                                        const std::optional<system::HotkeyProblem>& problem) {
    if (!problem) {
        return std::nullopt;
    }
    if (problem->kind() == system::HotkeyProblem::Kind::takenBySystemShortcut) {
        return fmt::format(fmt::runtime(core::localized("{} は macOS のショートカットと重なっています")),
                           hotkey.displayName);
    }
    return fmt::format(
        fmt::runtime(core::localized("{} を登録できませんでした（ほかのアプリが使っているかもしれません）")),
        hotkey.displayName);
}

} // namespace pellacor::app
