#pragma once

#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "Trayvane/App/ProgramEnvironment.h"
#include "Trayvane/Launch/LaunchPreferences.h"

#include <memory>
#include <vector>

namespace pellacor::core {
struct BelowBarEntry;
struct SearchCandidate;
} // namespace pellacor::core

namespace pellacor::coordinator {
class Coordinator;
enum class PressSource;
} // namespace pellacor::coordinator

namespace pellacor::app {

class BelowBarController;
class ControlItem;
class PermissionGuideWindowController;
class SearchController;
class SystemPlaces;
struct SharedServices;

// The program's panels: the below-bar panel under the control item, the
// search panel, and the permission guide. Made after the engine: the panels
// press through the coordinator, which owns the one pressing flag, and the
// coordinator learns when the below-bar panel opens, closes or is closed by
// the user, so its state never disagrees with what is on screen; the guide
// follows the coordinator's wait for the permission, at once or after a
// grace delay early in a run that worked before. Everything they hold of the
// engine and the control item they hold weakly. `takeDown` is an early step
// of termination, so that nothing the user sees reaches an engine that is
// shutting down. Main thread.
class PanelsComponent : public std::enable_shared_from_this<PanelsComponent> {
public:
    // `launchedAt` is when the program was made, in seconds of the executor's clock.
    static std::shared_ptr<PanelsComponent>
    create(const ProgramEnvironment& environment, const SharedServices& services,
           const std::shared_ptr<coordinator::Coordinator>& coordinator,
           const std::weak_ptr<ControlItem>& control, double launchedAt);
    ~PanelsComponent();
    PanelsComponent(const PanelsComponent&) = delete;
    PanelsComponent& operator=(const PanelsComponent&) = delete;

    // The below-bar panel's entries anew while the coordinator has it shown,
    // then the search panel's while it is open.
    void refresh();
    // The search hot key: opens the panel with every item, or closes it.
    void toggleSearch();
    // The permission guide, with the coordinator's trust as it stands.
    void showPermissionGuide();
    // The delayed permission guide is waiting.
    bool isPermissionGuidePending() const;
    // The search panel closes with the coordinator as its reason, the guide
    // closes (with the restriction lifted there is nothing left to grant), and
    // a guide still waiting out its grace delay never opens.
    void takeDown();

    PermissionGuideWindowController& permissionGuide() const { return *permissionGuide_; }
    BelowBarController& belowBar() const { return *belowBar_; }
    SearchController& search() const { return *search_; }

private:
    PanelsComponent(const ProgramEnvironment& environment, const SharedServices& services,
                    const std::shared_ptr<coordinator::Coordinator>& coordinator, double launchedAt);

    void wireBelowBar(const std::weak_ptr<ControlItem>& control);
    void wireSearch();
    void wireGuide(const std::shared_ptr<SystemPlaces>& places);
    void refreshBelowBar();
    void refreshSearch();
    // The wait for the permission: the guide at once, or after a grace delay early in the run.
    void permissionWaitChanged(bool waiting);
    static concurrency::Task<void> delayedPermissionGuide(std::weak_ptr<PanelsComponent> weak,
                                                          concurrency::Sleep sleep);
    // The panels' lists from the coordinator's items and profile.
    static std::vector<core::BelowBarEntry> belowBarEntries(const coordinator::Coordinator& coordinator);
    static std::vector<core::SearchCandidate> searchCandidates(const coordinator::Coordinator& coordinator);
    // A press from one of the panels; the outcome is the coordinator's to tell.
    static concurrency::Task<void> pressFromPanel(std::weak_ptr<coordinator::Coordinator> weak,
                                                  core::BelowBarEntry entry, coordinator::PressSource source);

    concurrency::MainExecutor* executor_;
    concurrency::Sleep sleep_;
    LaunchPreferences launchPreferences_;
    double launchedAt_;
    std::weak_ptr<coordinator::Coordinator> coordinator_;
    std::unique_ptr<PermissionGuideWindowController> permissionGuide_;
    std::unique_ptr<BelowBarController> belowBar_;
    std::unique_ptr<SearchController> search_;
    concurrency::TaskHandle<void> pendingPermissionGuide_;
};

} // namespace pellacor::app
