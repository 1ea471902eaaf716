#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "Platform/GlobalEventMonitor.h"
#include "Platform/InputState.h"
#include "Platform/ProgramWindows.h"
#include "Platform/Screens.h"
#include "Platform/StatusBar.h"
#include "Trayvane/Common/IconStore.h"
#include "Trayvane/Panels/BelowBarCellFrames.h"
#include "Trayvane/Panels/BelowBarModel.h"
#include "Trayvane/Windows/ListedPanel.h"

#include <QPoint>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace pellacor::app {

class BelowBarPanel;
class BelowBarView;

// The below-bar panel's controller: it opens the panel under the menu bar,
// right-aligned to the control item, with the entries the program keeps off
// the bar; re-lays it out when they change; watches the rest of the desktop
// while it is open, so that a click elsewhere or Escape closes it (and says
// so once through `onClosedByUser`); and hands every pressed entry to
// `onPress`. The panel is made on the first show and kept; closing hides it.
// While open it is a window of the program's process in the window list.
// Main thread only; the callbacks it hands out live no longer than it.
class BelowBarController {
public:
    struct Services {
        std::shared_ptr<platform::Screens> screens;
        std::shared_ptr<platform::InputState> input;
        std::shared_ptr<platform::StatusBar> statusBar;
        std::shared_ptr<platform::GlobalEventMonitor> monitor;
        std::shared_ptr<platform::ProgramWindows> programWindows;
        std::shared_ptr<IconStore> icons;
        BelowBarModel::NameFunction name;
        // Where a top-down point of the screens (origin at the first screen's
        // top left, y down) lies on the real screen; the identity unless set.
        std::function<QPoint(core::Point)> place;
    };

    explicit BelowBarController(Services services);
    ~BelowBarController();
    BelowBarController(const BelowBarController&) = delete;
    BelowBarController& operator=(const BelowBarController&) = delete;

    std::function<void(const core::BelowBarEntry&)> onPress;
    std::function<void()> onClosedByUser;
    // The control item's frame now (screen coordinates), nothing when unknown.
    std::function<std::optional<core::Rect>()> controlFrame;

    // Opens (or opens again) the panel with these entries, under the control
    // item when its frame is given, on the screen of the pointer.
    void show(std::vector<core::BelowBarEntry> entries, std::optional<core::Rect> anchor);
    // Replaces the entries of the open panel and lays it out again; nothing
    // while closed or when the list is unchanged.
    void update(std::vector<core::BelowBarEntry> entries);
    // Closes the panel without telling anyone.
    void close();

    // The window, once made; its `isVisible` answers whether it is shown.
    BelowBarPanel* panel() const { return panel_.get(); }
    BelowBarView* view() const { return view_; }
    bool isOpen() const { return isOpen_; }
    const std::vector<core::BelowBarEntry>& entries() const { return entries_; }
    // The panel's frame at the last layout (screen coordinates).
    const std::optional<core::Rect>& frame() const { return frame_; }
    const BelowBarCellFrames& cellFrames() const { return *cellFrames_; }

private:
    void makePanel();
    void layout();
    void startWatchingOutside();
    void stopWatchingOutside();
    void closeByUser();
    void announce();
    std::vector<std::string> bundleIDs() const;

    Services services_;
    std::unique_ptr<BelowBarPanel> panel_;
    BelowBarView* view_ = nullptr;
    std::shared_ptr<BelowBarCellFrames> cellFrames_ = std::make_shared<BelowBarCellFrames>();
    std::vector<platform::GlobalEventMonitor::MonitorId> monitors_;
    std::optional<core::Rect> anchor_;
    std::optional<platform::Screen> screen_;
    std::vector<core::BelowBarEntry> entries_;
    bool isOpen_ = false;
    std::optional<core::Rect> frame_;
    ListedPanel listed_;
};

} // namespace pellacor::app
