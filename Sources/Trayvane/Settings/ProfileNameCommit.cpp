#include "Trayvane/Settings/ProfileNameCommit.h"

#include "MenuBarCore/Support/Localized.h"

namespace pellacor::app {

std::optional<std::string> ProfileNameCommit::run(const ProfilesModel& model, const ProfileBarEditor& editor,
                                                  const std::string& name) {
    const std::optional<core::Uuid> renaming = editor.renaming();
    if (auto problem = model.problem(name, renaming)) {
        return problem;
    }
    bool done = false;
    if (!renaming) {
        done = model.onAdd && model.onAdd(name);
    } else if (model.isUnchangedName(*renaming, name)) {
        // Nothing to change: the sheet closes as if it had worked, without
        // asking the store (which would refuse and read as a failure).
        return std::nullopt;
    } else {
        done = model.onRename && model.onRename(*renaming, name);
    }
    if (done) {
        return std::nullopt;
    }
    // The list may have changed meanwhile, making the name unacceptable now.
    if (auto problem = model.problem(name, renaming)) {
        return problem;
    }
    return core::localized("変えられませんでした。もう一度試してください。");
}

} // namespace pellacor::app
