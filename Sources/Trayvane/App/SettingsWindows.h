#pragma once

#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"
#include "Trayvane/Settings/SettingsWindowController.h"

#include <memory>

namespace pellacor::app {

// The settings window and what its pages show: the state document's store,
// the pages' models and the window's controller, which holds the models it
// shows. Declared in the order start-up makes them, so the window goes
// first, then the editor, and the store last.
struct SettingsWindows {
    std::shared_ptr<GeneralModel> general = std::make_shared<GeneralModel>();
    std::shared_ptr<ProfilesModel> profilesModel = std::make_shared<ProfilesModel>();
    std::shared_ptr<RulesModel> rulesModel = std::make_shared<RulesModel>();
    std::shared_ptr<SettingsStore> settingsStore;
    std::shared_ptr<SectionsModel> sectionsModel;
    std::shared_ptr<ProfileEditor> profileEditor;
    std::shared_ptr<SettingsWindowController> settingsWindow;

    // The window goes off screen, which also stops its refresh.
    void takeDown() {
        if (settingsWindow) {
            settingsWindow->close();
        }
    }
};

} // namespace pellacor::app
