#pragma once

#include "Platform/Simulated/MenuBarRestriction.h"
#include "Platform/Simulated/PlacedStatusItem.h"
#include "Platform/Simulated/SimulatedApplication.h"
#include "Platform/Simulated/SimulatedScreen.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pellacor::platform {

// The one model behind every simulated platform interface: the screens, the
// applications with their status items and windows, and the restriction the
// menu bar is under. It sees only what the platform would see, never the
// program's own state.
//
// Time: pressing an item opens its menu some time later and closes it again
// (see SimulatedMenu), and an application that a restriction change lets show
// has its items placed after its `placementDelay`; an application item that
// stands on the bar without a key in the layout table gets one where it stands
// `recordDelay` later. All are worked out from the
// desktop's clock whenever the windows or the bar are asked for, so a test that
// sets a virtual clock moves them with it; nothing sleeps. Whoever drives the
// desktop (a view's timer, a test) asks for `nextMoment` and calls `passTime`
// once it has come: the moments that fell due are then announced as changes,
// and actions scheduled for them run. Every new moment (a press's menu, a
// scheduled action) is announced as a `moments` change when it is made, so
// whoever drives the clock asks for `nextMoment` again.
//
// Thread-safe: every call takes an internal lock for a copy or a store only.
// Observers are called after the change, outside the lock, on the thread that
// made it (a framework's completion thread, for instance), so a view must hop to
// its own thread.
class SimulatedDesktop {
public:
    enum class Change { screens, applications, menuBar, activeSpace, windows, moments };
    using Observer = std::function<void(Change)>;
    using ObserverId = std::uint64_t;
    // Monotonic time since an origin of the clock's choosing. Read from any thread.
    using Clock = std::function<std::chrono::nanoseconds()>;

    // The layer of pop-up menus.
    static constexpr std::int64_t menuLayer = 101;
    // How long an application item stands on the bar without a key in the
    // layout table before the menu bar records one where it stands. Later than
    // the program's placement of a launched application (2 s after the launch),
    // within its tries to place the user-switcher stand-in (up to 6 s).
    static constexpr std::chrono::milliseconds recordDelay{2500};

    // A window of a running process, in top-down coordinates.
    struct Window {
        std::uint32_t number = 0;
        std::int32_t ownerProcessIdentifier = 0;
        std::int64_t layer = 0;
        core::Rect bounds;
        bool isOnScreen = true;
        bool operator==(const Window&) const = default;
    };

    // One press of a status item, and the menu window it opens, if any.
    struct Press {
        std::int32_t processIdentifier = 0;
        std::size_t index = 0;
        std::chrono::nanoseconds at{0};
        std::optional<std::uint32_t> menu;
        // The mouse button that pressed it (0 left, 1 right).
        std::uint32_t button = 0;
        bool operator==(const Press&) const = default;
    };
    // Told of every press, after it, outside the lock.
    using PressObserver = std::function<void(const Press&)>;

    // Where the program's bundle lies unless told otherwise.
    static constexpr const char* defaultOwnBundlePath = "/Applications/Pellacor.app";

    SimulatedDesktop();
    SimulatedDesktop(std::vector<SimulatedScreen> screens, std::vector<SimulatedApplication> applications);
    SimulatedDesktop(const SimulatedDesktop&) = delete;
    SimulatedDesktop& operator=(const SimulatedDesktop&) = delete;

    // Screens; the first is the main screen, which carries the menu bar. Never empty.
    std::vector<SimulatedScreen> screens() const;
    SimulatedScreen mainScreen() const;
    void setScreens(std::vector<SimulatedScreen> screens);

    // Every known application in list order, and those running.
    std::vector<SimulatedApplication> applications() const;
    std::vector<SimulatedApplication> runningApplications() const;
    std::optional<SimulatedApplication> application(std::int32_t processIdentifier) const;
    // The first running application with this bundle identifier.
    std::optional<SimulatedApplication> runningApplication(const std::string& bundleIdentifier) const;

    // Adds an application at the end of the list; false when its process identifier is taken.
    bool addApplication(SimulatedApplication application);
    // False when no application has that process identifier.
    bool setRunning(std::int32_t processIdentifier, bool running);
    // Starts a known application that is not running under a process identifier
    // that no application has, as a real launch gets a fresh one. The new
    // identifier; nothing when the application is unknown or already running.
    std::optional<std::int32_t> launch(std::int32_t processIdentifier);
    // Makes a running application the active one; every other becomes inactive.
    bool activate(std::int32_t processIdentifier);
    bool setStatusItems(std::int32_t processIdentifier, std::vector<SimulatedStatusItem> items);

    // The restriction in force, if any. A publisher that may race with itself passes
    // increasing revisions; a store with a revision not newer than the last is ignored.
    std::optional<MenuBarRestriction> restriction() const;
    void setRestriction(std::optional<MenuBarRestriction> restriction);
    void setRestriction(std::optional<MenuBarRestriction> restriction, std::uint64_t revision);

    // The items on the bar now, left to right, with their frames (see MenuBarLayout).
    std::vector<PlacedStatusItem> menuBarItems() const;

    // The Space (virtual desktop) shown now, numbered from 1. Moving to another
    // one notifies `activeSpace`; moving to the one shown changes nothing.
    std::uint64_t activeSpace() const;
    void setActiveSpace(std::uint64_t space);
    // The simulated user's home folder; empty when there is none, and then no
    // file of the user exists. Setting it re-reads the layout table.
    std::filesystem::path homeFolder() const;
    void setHomeFolder(std::filesystem::path folder);

    // The folder that stands for the root of the simulated computer's file
    // system, "/" itself unless set. Paths of the simulated computer that begin
    // with "/" lie below it.
    std::filesystem::path rootFolder() const;
    void setRootFolder(std::filesystem::path folder);
    // The folder that stands for "/Applications": "Applications" in the root.
    std::filesystem::path applicationsFolder() const;
    // Where the program's own application bundle lies, given as a path of the
    // simulated computer ("/Applications/Pellacor.app" unless set) and answered
    // as the path on disk, below the root.
    std::filesystem::path ownBundlePath() const;
    void setOwnBundlePath(std::filesystem::path path);

    // Whether the user has granted the program access to the menu bar's group
    // container (see MenuBarLayoutFile). Everything else of the home folder is open.
    bool isMenuBarContainerGranted() const;
    void setMenuBarContainerGranted(bool granted);
    // Whether the program may reach this path (after resolving its links).
    bool isAccessible(const std::filesystem::path& path) const;

    // The layout table the menu bar orders its items by. The menu bar reads its
    // preference file when the home folder is set and whenever this is called:
    // the preferences service calls it after each synchronise, and a test or a
    // view that changed the file behind its back calls it too. A changed table
    // is reported as a `menuBar` change.
    void reloadLayoutTable();
    std::map<std::string, double> layoutTable() const;

    ObserverId addObserver(Observer observer);
    void removeObserver(ObserverId id);

    // The clock that times menus and placements; the steady clock until set.
    void setClock(Clock clock);
    std::chrono::nanoseconds now() const;

    // The windows open now, of running processes, front to back (higher layers
    // first, then newer windows first). A process that stops loses its windows.
    std::vector<Window> windows() const;
    // Opens a window of a running process now; its number, or nothing when no
    // process with that identifier runs.
    std::optional<std::uint32_t> openWindow(std::int32_t processIdentifier, std::int64_t layer,
                                            core::Rect bounds, bool isOnScreen = true);
    // Closes an open window (or one about to open) now; false when there is none
    // with that number.
    bool closeWindow(std::uint32_t number);
    // Closes every open menu now, as a click elsewhere does.
    void closeMenus();

    // Presses the item at `index` of a running process: its menu opens as its
    // SimulatedMenu says. The number of the menu window that will open, or nothing
    // (no such item, no menu, or a menu that opens only on the bar for an item
    // kept off it). A press that reaches the item `late` opens its menu that much later.
    std::optional<std::uint32_t> pressItem(std::int32_t processIdentifier, std::size_t index,
                                           std::chrono::nanoseconds late = std::chrono::nanoseconds::zero(),
                                           std::uint32_t button = 0);
    void setPressObserver(PressObserver observer);
    // Moves an open window now; false when there is none with that number.
    bool moveWindow(std::uint32_t number, core::Rect bounds);

    // The menu bar's answer to a finished Command-drag from `from` to `to`
    // (top-down points): the application item under `from` moves to where `to`
    // falls among the others, written to the layout table in the home folder
    // and read back, as the system does. False when no movable item lies under
    // `from`, there is no home folder, or the table cannot be written.
    bool commandDragItem(core::Point from, core::Point to);

    // The earliest moment after the last `passTime` at which a window opens or
    // closes, an item is placed or recorded, or a scheduled action falls due;
    // nothing when none lies ahead.
    std::optional<std::chrono::nanoseconds> nextMoment() const;
    // Announces what fell due up to now (`windows`, `menuBar`) and runs the
    // actions scheduled up to now, in time order, outside the lock.
    void passTime();
    // Runs `action` at the first `passTime` at or after `at`.
    void scheduleAt(std::chrono::nanoseconds at, std::function<void()> action);
    // Every press so far, oldest first.
    std::vector<Press> presses() const;

private:
    struct WindowRecord {
        Window window;
        std::chrono::nanoseconds opensAt{0};
        std::optional<std::chrono::nanoseconds> closesAt;
    };

    void notify(Change change);
    // Notes when each application item on the bar without a key in the layout
    // table was first seen so; called on every change of the bar.
    void noteUnrecordedItems();
    // Gives the items noted at least `recordDelay` ago keys that keep them where
    // they stand (with every unkeyed item right of them, so nothing moves), and
    // stores the table, telling nobody unless the file had changed under the bar.
    void recordNewItems();
    std::vector<SimulatedApplication>::iterator findLocked(std::int32_t processIdentifier);
    std::chrono::nanoseconds nowLocked() const;
    // The bar as it stands now, leaving out items still waiting to be placed.
    std::vector<PlacedStatusItem> placeLocked() const;
    void addInitialWindowsLocked(const SimulatedApplication& application);
    bool isOpenLocked(const WindowRecord& record, std::chrono::nanoseconds now) const;
    std::optional<std::uint32_t> pressLocked(std::int32_t processIdentifier, std::size_t index,
                                             std::chrono::nanoseconds late, std::uint32_t button,
                                             std::optional<Press>& made);

    mutable std::mutex mutex_;
    std::mutex reloadMutex_; // taken before mutex_, never while observers run
    std::vector<SimulatedScreen> screens_;
    std::vector<SimulatedApplication> applications_;
    std::optional<MenuBarRestriction> restriction_;
    std::uint64_t restrictionRevision_ = 0;
    std::uint64_t activeSpace_ = 1;
    std::filesystem::path homeFolder_;
    std::filesystem::path rootFolder_{"/"};
    std::filesystem::path ownBundlePath_{defaultOwnBundlePath};
    bool menuBarContainerGranted_ = false;
    std::map<std::string, double> layoutTable_;
    std::map<ObserverId, Observer> observers_;
    ObserverId nextObserverId_ = 1;
    Clock clock_;
    std::vector<WindowRecord> windows_;
    std::uint32_t nextWindowNumber_ = 100;
    std::vector<Press> presses_;
    PressObserver pressObserver_;
    std::chrono::nanoseconds passedUpTo_ = std::chrono::nanoseconds::min();
    std::multimap<std::chrono::nanoseconds, std::function<void()>> scheduled_;
    // Keys of application items on the bar that the layout table lacks, and
    // since when they have been seen so.
    std::map<std::string, std::chrono::nanoseconds> unrecordedSince_;
    // Items (process, index) that a restriction change let show, and when.
    std::map<std::pair<std::int32_t, std::size_t>, std::chrono::nanoseconds> placingSince_;
};

} // namespace pellacor::platform
