#pragma once

#include "Trayvane/App/FileDialogFolders.h"
#include "Trayvane/Integrations/RuleApps.h"

namespace pellacor::app {

// The open panel through which the user picks an application for a rule: a
// file dialog of the program's own drawing (so it runs on any display) in the
// Applications folder, that chooses one application bundle and no other
// folder or file. Choosing a folder that is not a bundle opens it instead.
class ApplicationPanel {
public:
    // The panel's accessibility identifier.
    static constexpr const char* identifier = "rule-app-panel";

    ApplicationPanel() = delete;

    // Opens the dialog in front of the program's windows, modal to the whole
    // program, with the folder it opens in and the home folder as its places,
    // named by `folders`, and returns at once: the completion comes when the
    // user ends it, and nothing up the caller's stack waits for it.
    static RuleApps::Panel fileDialog(FileDialogFolders folders = {});
    // Whether a choice is an application bundle the panel accepts.
    static bool isApplicationBundle(const std::filesystem::path& path);
};

} // namespace pellacor::app
