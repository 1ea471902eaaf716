#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The one write path of every profile and rule command: switching, adding,
// renaming and removing profiles, changing, moving and removing rules, and
// applying the rules, whoever asks. Each command is a transaction over a copy
// of the document (see `edit`). Main thread.
class ProfileEditor {
public:
    // One operation on the document; true when it changed anything.
    using Body = std::function<bool(core::StoredState&)>;

    // The sections model and the coordinator are held weakly; the order tasks
    // run on `executor`.
    ProfileEditor(std::shared_ptr<SettingsStore> store, std::shared_ptr<ProfilesModel> profiles,
                  std::weak_ptr<SectionsModel> sections, std::weak_ptr<coordinator::Coordinator> coordinator,
                  concurrency::MainExecutor& executor);

    // Every stored profile in stored order, named as the menus show it, the
    // active one marked.
    std::vector<ProfileChoice> choices() const;

    // Runs `body` on a copy of the document. A body that changes nothing
    // leaves everything as it was (no save, no log, no callback). Otherwise
    // the copy is put in place and saved (a failed save shows as the store's
    // warning), logged under `label`, and every view is brought up to date:
    // the profile choices, the sections page's warning and, when the active
    // profile changed, the sections page's profile, the coordinator and
    // `onActiveChange`; when another profile became active the coordinator
    // also writes its order, in a task of its own. A user's switch away from
    // a rule's profile marks that rule as overridden (`byUser` is false only
    // for the rules' own switching). Answers the body's answer.
    bool edit(bool byUser, std::string_view label, const Body& body);

    const std::shared_ptr<SettingsStore>& store() const { return store_; }
    const std::shared_ptr<ProfilesModel>& profiles() const { return profiles_; }

    // The active profile changed through an edit.
    std::function<void()> onActiveChange;
    // An edit changed the document.
    std::function<void()> onEdited;

private:
    static concurrency::Task<void> applyOrder(std::weak_ptr<coordinator::Coordinator> weak, bool reordered);

    std::shared_ptr<SettingsStore> store_;
    std::shared_ptr<ProfilesModel> profiles_;
    std::weak_ptr<SectionsModel> sections_;
    std::weak_ptr<coordinator::Coordinator> coordinator_;
    concurrency::MainExecutor& executor_;
};

} // namespace pellacor::app
