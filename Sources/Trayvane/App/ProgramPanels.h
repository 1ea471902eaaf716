#pragma once

#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/Onboarding/PermissionGuideWindowController.h"
#include "Trayvane/Panels/BelowBarController.h"
#include "Trayvane/Panels/SearchController.h"

#include <memory>
#include <utility>

namespace pellacor::app {

// The program's panels: the permission guide, the below-bar and search
// panels, and the layout-folder panel while it is up. Made when the delegate
// is; `takeDown` is the first step of termination, so that nothing the user
// sees can reach an engine that is shutting down. Main thread.
struct ProgramPanels {
    std::unique_ptr<PermissionGuideWindowController> permissionGuide;
    std::unique_ptr<BelowBarController> belowBar;
    std::unique_ptr<SearchController> search;
    bool layoutFolderPanelUp = false;
    LayoutFolderPanel::Dismiss dismissLayoutFolderPanel;

    // The layout-folder panel goes without an answer, the search panel
    // closes with the coordinator as its reason, and the permission guide
    // closes: with the restriction lifted there is nothing left to grant.
    void takeDown() {
        if (const auto dismiss = std::exchange(dismissLayoutFolderPanel, nullptr)) {
            dismiss();
        }
        layoutFolderPanelUp = false;
        if (search) {
            search->close("司令塔");
        }
        if (permissionGuide) {
            permissionGuide->close();
        }
    }
    ~ProgramPanels() {
        if (dismissLayoutFolderPanel) {
            dismissLayoutFolderPanel();
        }
    }
    ProgramPanels() = default;
    ProgramPanels(const ProgramPanels&) = delete;
    ProgramPanels& operator=(const ProgramPanels&) = delete;
};

} // namespace pellacor::app
