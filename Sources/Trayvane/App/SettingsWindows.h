#pragma once

#include "Trayvane/Settings/GeneralModel.h"
#include "Trayvane/Settings/ProfileEditor.h"
#include "Trayvane/Settings/ProfilesModel.h"
#include "Trayvane/Settings/RulesModel.h"
#include "Trayvane/Settings/SectionsModel.h"
#include "Trayvane/Settings/SettingsStore.h"

#include <memory>

namespace pellacor::app {

// The settings window and what its pages show: the state document's store
// and the pages' models. The window itself comes with the settings pages;
// until then the models are wired and shown by nobody. Declared in the order
// start-up makes them, so the editor goes first and the store last. The
// profile bar (`ProfileBar`) is a widget over `profilesModel`; the window
// that holds it does not exist yet.
struct SettingsWindows {
    std::unique_ptr<GeneralModel> general = std::make_unique<GeneralModel>();
    std::shared_ptr<ProfilesModel> profilesModel = std::make_shared<ProfilesModel>();
    std::shared_ptr<RulesModel> rulesModel = std::make_shared<RulesModel>();
    std::shared_ptr<SettingsStore> settingsStore;
    std::shared_ptr<SectionsModel> sectionsModel;
    std::shared_ptr<ProfileEditor> profileEditor;

    // Nothing is open yet to close.
    void takeDown() {}
};

} // namespace pellacor::app
