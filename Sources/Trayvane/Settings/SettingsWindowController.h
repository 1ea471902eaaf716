#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Time.h"
#include "Trayvane/Settings/SettingsNavigation.h"
#include "Trayvane/Settings/SettingsRootView.h"
#include "Trayvane/Windows/AuxiliaryWindowController.h"
#include "Trayvane/Windows/AuxiliaryWindowServices.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace pellacor::app {

class GeneralModel;
class ProfilesModel;
class RulesModel;
class SectionsModel;
class SettingsWindowFrame;

// The settings window: made on the first `show` and kept for the run, also
// while closed, so every later `show` brings back the same window with its
// page, size and scroll positions. While the window is open it asks the shell
// every three seconds to refresh what the pages show, but a tick does so
// only while the window can be seen (on screen, not minimised, exposed); a
// closed window's timer is gone. Main thread only.
class SettingsWindowController final : public std::enable_shared_from_this<SettingsWindowController> {
public:
    using Page = SettingsPage;

    static constexpr concurrency::Duration refreshInterval = std::chrono::seconds(3);
    static constexpr int contentWidth = 560;
    static constexpr int contentHeight = 860;

    struct Services {
        // Runs the refresh timer; its clock times the opening unless `now` is given.
        concurrency::MainExecutor* executor = nullptr;
        concurrency::Now now;
        // The screens and pointer the window is placed by, and the window list it is entered in.
        AuxiliaryWindowServices windows;
        SettingsRootView::PageServices pages;
    };

    static std::shared_ptr<SettingsWindowController>
    create(std::shared_ptr<SectionsModel> model, std::shared_ptr<ProfilesModel> profiles,
           std::shared_ptr<RulesModel> rules, std::shared_ptr<GeneralModel> general, Services services);
    ~SettingsWindowController();
    SettingsWindowController(const SettingsWindowController&) = delete;
    SettingsWindowController& operator=(const SettingsWindowController&) = delete;

    // Selects `page` (telling the navigation's observers only when it
    // changes), then shows the window.
    void show(Page page);
    // Makes the window on first use, places it unless it is on screen, brings
    // it to the front and starts refreshing; `onShow` comes first, and
    // `onRefresh` runs once at every call.
    void show();
    // Hides the window when it is on screen; closing it stops the refresh.
    void close();
    // The window was closed: the refresh stops.
    void windowWillClose();

    // Asked at every `show` and by the refresh tick.
    std::function<void()> onRefresh;
    // Asked near the start of every `show`.
    std::function<void()> onShow;

    SettingsNavigation& navigation() { return navigation_; }
    // The window, once built: a sheet's parent while it is on screen.
    QWidget* window() const { return window_.window(); }
    SettingsRootView* rootView() const { return root_; }
    bool isRefreshing() const { return refreshTimer_.has_value(); }
    // On screen, not minimised and not covered: a tick refreshes only then.
    bool isSeen() const;

    // A duration as the log gives it: rounded to whole milliseconds ("12 ms"),
    // as the program's other timings are logged.
    static std::string milliseconds(concurrency::Duration duration);

private:
    SettingsWindowController(std::shared_ptr<SectionsModel> model, std::shared_ptr<ProfilesModel> profiles,
                             std::shared_ptr<RulesModel> rules, std::shared_ptr<GeneralModel> general,
                             Services services);

    void makeWindow();
    SettingsWindowFrame* frame() const;
    // The window list follows the window the user moves or resizes.
    void relist();
    void startRefreshing();
    void scheduleTick(concurrency::Instant deadline);
    void tick(concurrency::Instant deadline);

    std::shared_ptr<SectionsModel> model_;
    std::shared_ptr<ProfilesModel> profiles_;
    std::shared_ptr<RulesModel> rules_;
    std::shared_ptr<GeneralModel> general_;
    // Its `windows` are the window's own, moved to `window_`.
    Services services_;
    SettingsNavigation navigation_;
    // After the models and the navigation the pages refer to, so it goes first.
    AuxiliaryWindowController window_;
    SettingsRootView* root_ = nullptr;
    std::optional<concurrency::TimerId> refreshTimer_;
};

} // namespace pellacor::app
