#pragma once

#include "Concurrency/Task.h"
#include "Trayvane/App/LayoutFolderPanel.h"
#include "Trayvane/App/ProgramEnvironment.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pellacor::core {
class ItemSnapshot;
class Profile;
} // namespace pellacor::core

namespace pellacor::coordinator {
class Coordinator;
} // namespace pellacor::coordinator

namespace pellacor::system {
class LoginItem;
} // namespace pellacor::system

namespace pellacor::app {

class GeneralModel;
class IconStore;
class ProfileEditor;
class ProfilesModel;
class RulesModel;
class SectionsModel;
class SettingsStore;
class SettingsWindowController;
struct SharedServices;

// The settings window and what its pages show: the General page's model
// with the feature switches and the login item, the sections page's model
// over the active profile, the profiles and rules models, the profile editor
// (the one way profiles and rules are written) and the window's controller;
// and the layout-folder grant that a reorder on the sections page may ask
// for, as a sheet on the window while it is on screen. Made after the
// engine, whose coordinator it drives and follows (weakly); the state
// document's store is shared with the rules and the external control.
// `takeDown` closes the window and takes a folder panel still up away
// unanswered. Main thread.
class SettingsComponent : public std::enable_shared_from_this<SettingsComponent> {
public:
    static std::shared_ptr<SettingsComponent>
    create(const ProgramEnvironment& environment, const SharedServices& services,
           std::shared_ptr<SettingsStore> store,
           const std::shared_ptr<coordinator::Coordinator>& coordinator);
    ~SettingsComponent();
    SettingsComponent(const SettingsComponent&) = delete;
    SettingsComponent& operator=(const SettingsComponent&) = delete;

    // After the active profile changed (on the page, in the coordinator or
    // through the editor): the panels follow it. Set by the delegate.
    std::function<void()> onActiveProfileChange;

    // The window, on the page it showed last.
    void open();
    // What the window's refresh asks for: a fresh read of the items, and the
    // sections page's running applications and screens.
    void refresh();
    // The sections page's running applications and screen frames, as they are
    // now; the rows are rebuilt only when either changed.
    void refreshSectionsInputs();
    // A read of the items reached the sections page, and the screens it follows.
    void itemsChanged(const std::vector<core::ItemSnapshot>& items);
    // Asks the user, through the open panel, for the layout folder, unless a
    // panel is up already; the grant then writes the order that waited for it.
    void chooseLayoutFolder();
    bool isLayoutFolderPanelUp() const { return layoutFolderPanelUp_; }
    void takeDown();

    const std::shared_ptr<GeneralModel>& general() const { return general_; }
    const std::shared_ptr<ProfilesModel>& profilesModel() const { return profilesModel_; }
    const std::shared_ptr<RulesModel>& rulesModel() const { return rulesModel_; }
    const std::shared_ptr<SectionsModel>& sectionsModel() const { return sectionsModel_; }
    const std::shared_ptr<ProfileEditor>& profileEditor() const { return profileEditor_; }
    const std::shared_ptr<SettingsWindowController>& settingsWindow() const { return settingsWindow_; }

private:
    SettingsComponent(const ProgramEnvironment& environment, const SharedServices& services,
                      std::shared_ptr<SettingsStore> store,
                      const std::shared_ptr<coordinator::Coordinator>& coordinator);

    void wireSections();
    void wireGeneral(const ProgramEnvironment& environment, const SharedServices& services);
    void wireProfileBar();
    void wireWindow();
    // What a section change of the page or of the coordinator does, through the store.
    void profileChanged(const core::Profile& profile, bool fromCoordinator);
    void setLoginItem(bool enabled);
    // The settings window while it is on screen, a sheet's parent; else nothing.
    QWidget* visibleWindow() const;
    void layoutFolderPanelEnded(const std::optional<std::filesystem::path>& chosen);
    // Writes the order after a change on the sections page; asks for the folder when it needs it.
    static concurrency::Task<void> applyOrderFromPage(std::weak_ptr<SettingsComponent> weakSelf,
                                                      std::weak_ptr<coordinator::Coordinator> weak,
                                                      bool reordered);
    static concurrency::Task<void> applyGrantedOrder(std::weak_ptr<coordinator::Coordinator> weak);
    static concurrency::Task<void> rereadLayoutOrder(std::weak_ptr<coordinator::Coordinator> weak);

    concurrency::MainExecutor* executor_;
    platform::PlatformServices platform_;
    LayoutFolderPanel::Runner layoutFolderPanel_;
    std::shared_ptr<system::LoginItem> loginItem_;
    std::weak_ptr<coordinator::Coordinator> coordinator_;
    std::shared_ptr<SettingsStore> store_;
    std::shared_ptr<GeneralModel> general_;
    std::shared_ptr<ProfilesModel> profilesModel_;
    std::shared_ptr<RulesModel> rulesModel_;
    std::shared_ptr<SectionsModel> sectionsModel_;
    std::shared_ptr<ProfileEditor> profileEditor_;
    std::shared_ptr<SettingsWindowController> settingsWindow_;
    bool layoutFolderPanelUp_ = false;
    LayoutFolderPanel::Dismiss dismissLayoutFolderPanel_;
};

} // namespace pellacor::app
