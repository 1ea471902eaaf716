#pragma once

#include "Concurrency/FutureResult.h"
#include "Concurrency/MainExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/Task.h"
#include "Concurrency/TaskHandle.h"
#include "Concurrency/Time.h"
#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/MenuBarState.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Planning/BelowBarEntry.h"
#include "MenuBarCore/Planning/DragSorting.h"
#include "MenuBarCore/Planning/NotchPlanner.h"
#include "MenuBarCore/Planning/VisibilityPlan.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarSystem/Pressing/ItemPressing.h"
#include "MenuBarSystem/Pressing/PressRevealing.h"
#include "MenuBarSystem/Reading/ItemReading.h"
#include "MenuBarSystem/Reordering/ItemReordering.h"
#include "MenuBarSystem/Safety/AccessibilityTrustChecking.h"
#include "MenuBarSystem/Safety/HealthChecking.h"
#include "MenuBarSystem/Support/SystemResult.h"
#include "MenuBarSystem/Visibility/VisibilityControlling.h"
#include "MenuBarSystem/Watching/AppActivity.h"
#include "MenuBarSystem/Watching/AppActivityWatching.h"
#include "MenuBarSystem/Watching/CaptureUse.h"
#include "MenuBarSystem/Watching/CaptureUseWatching.h"
#include "MenuBarSystem/Watching/HoverSensing.h"
#include "MenuBarSystem/Watching/MenuBarDragEvent.h"
#include "MenuBarSystem/Watching/MenuBarDragWatching.h"
#include "MenuBarSystem/Watching/PointerSensing.h"
#include "MenuBarSystem/Watching/ScreenSensing.h"
#include "Trayvane/Coordinator/OrderOutcome.h"
#include "Trayvane/Coordinator/PauseReason.h"
#include "Trayvane/Coordinator/PressSource.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::coordinator {

// The program's engine: owns the menu-bar state machine, the model read from the
// bar and every task that keeps the system in line with the user's plan. It lives
// on the main executor; every field is touched there only. The application
// delegate holds the one strong reference; tasks and watcher handlers hold it
// weakly, so dropping it ends them at their next check.
//
// Its member functions are spread over one file per concern (Coordinator.cpp for
// the lifecycle and the state hub, CoordinatorVisibility.cpp for enforcement, …).
class Coordinator final : public system::PressRevealing, public std::enable_shared_from_this<Coordinator> {
public:
    using Duration = concurrency::Duration;
    using Instant = concurrency::Instant;

    // The services the coordinator talks to. The first five are required; an
    // absent optional one switches its feature off.
    struct Services {
        std::shared_ptr<system::ItemReading> reader;
        std::shared_ptr<system::VisibilityControlling> visibility;
        std::shared_ptr<system::AppActivityWatching> appWatcher;
        std::shared_ptr<system::CaptureUseWatching> captureWatcher;
        std::shared_ptr<system::HealthChecking> health;
        std::shared_ptr<system::PointerSensing> pointer;
        std::shared_ptr<system::HoverSensing> hover;
        std::shared_ptr<system::AccessibilityTrustChecking> trust;
        std::shared_ptr<system::MenuBarDragWatching> dragWatcher;
        std::shared_ptr<system::ScreenSensing> screens;
        std::shared_ptr<system::ItemReordering> reorderer;
        // The control item has a place on screen.
        std::function<bool()> ownItemPlaced;
        // The control item is on the menu bar; nothing = unknown.
        std::function<std::optional<bool>()> ownItemOnBar;
    };

    // The fixed values: timings, limits, the own identifier and the profile the
    // coordinator starts from.
    struct Timings {
        core::Profile profile;
        std::string selfBundleID;
        std::optional<Duration> autoCollapseAfter = std::chrono::seconds(10);
        std::optional<Duration> trustCheckInterval = std::chrono::seconds(2);
        Duration hoverTick = std::chrono::milliseconds(50);
        Duration hoverIdleTick = std::chrono::milliseconds(150);
        Duration autoCollapseTick = std::chrono::milliseconds(500);
        std::vector<Duration> rereadDelays{std::chrono::milliseconds(1500), std::chrono::seconds(5)};
        std::vector<Duration> quickReadDelays = Coordinator::quickReadDelays();
        std::vector<Duration> startRetryDelays{std::chrono::seconds(1), std::chrono::seconds(2)};
        std::vector<Duration> foldedCheckDelays{std::chrono::seconds(1), std::chrono::seconds(2),
                                                std::chrono::seconds(3)};
        std::vector<Duration> hiddenBarPollDelays{std::chrono::seconds(1), std::chrono::seconds(1),
                                                  std::chrono::seconds(2), std::chrono::seconds(2),
                                                  std::chrono::seconds(3)};
        Duration temporaryRevealLimit = std::chrono::seconds(15);
        Duration temporaryLiftLimit = std::chrono::seconds(40);
        Duration temporaryLeaveLimit = std::chrono::seconds(100);
        // The longest a panel press is waited for, so that a press that never
        // ends cannot refuse every later one.
        Duration pressLimit = std::chrono::seconds(30);
        std::optional<Duration> notchTick = std::chrono::milliseconds(2500);
    };

    // The executor all work runs on and the clocks and sleeps every timing uses.
    // Made from the executor, they are its clocks and the runtime's sleep.
    struct Clocks {
        explicit Clocks(concurrency::MainExecutor& executor)
            : executor(&executor), now(concurrency::nowOf(executor)), sleep(concurrency::defaultSleep()),
              revealSleep(concurrency::defaultSleep()), wallClock(concurrency::wallClockOf(executor)) {}

        concurrency::MainExecutor* executor;
        // The clock of every elapsed-time test.
        concurrency::Now now;
        // Every wait of every task but the temporary reveals'.
        concurrency::Sleep sleep;
        // The waits of the temporary reveals.
        concurrency::Sleep revealSleep;
        // The date, for the notch planner.
        concurrency::WallClock wallClock;
    };

    // Nothing when a required service or clock is missing, the hidden-bar wait
    // has no delay, or a loop's step is not positive.
    static std::shared_ptr<Coordinator> create(Services services, Timings timings, Clocks clocks);

    // The quick reads after an application launch: 0.3, 0.4, 0.5, 0.8, 1.0, 1.5 s.
    static std::vector<Duration> quickReadDelays();
    // The attempts to place the stand-in item: at once, then after 1, 2 and 3 s.
    static std::vector<Duration> standInPlacementDelays();

    ~Coordinator() override;
    Coordinator(const Coordinator&) = delete;
    Coordinator& operator=(const Coordinator&) = delete;

    // -- Lifecycle and entry points --------------------------------------------

    // Once, after wiring: starts the watchers and the trust checks, then either
    // begins starting or stays paused for the given reason.
    void start(std::optional<PauseReason> pauseAtLaunch);
    // At termination: lifts the restriction first, then stops every task and
    // watch. Final; a second call does nothing.
    void shutdown();
    // The user's or an external command's pause.
    void pause();
    // The user's resume; only while paused.
    void resume();

    // What the callbacks and the planner see: the privacy override while a camera
    // is in use and hiding is not paused, else the base state.
    core::MenuBarState effectiveState() const;
    core::MenuBarState baseState() const { return base; }
    const std::optional<PauseReason>& currentPauseReason() const { return pauseReason; }
    // The active profile as the coordinator holds it, its own bundle identifier
    // as given, and whether it has been shut down: what the shell reads.
    const core::Profile& currentProfile() const { return profile; }
    // The items of the latest read, every one of them.
    const std::vector<core::ItemSnapshot>& currentItems() const { return items; }
    const std::string& ownBundleID() const { return selfBundleID; }
    bool hasShutDown() const { return isShutDown; }
    // What else the shell's panels, pages and guide read: whether the
    // below-bar panel is shown and a panel's press is under way, the notch
    // planner's state, whether the fold rescue is on, the Accessibility trust
    // (nothing before the first check) and the applications running now.
    bool belowBarShown() const { return isBelowBarShown; }
    bool pressingItem() const { return isPressingItem; }
    const core::NotchPlanner::State& currentNotchState() const { return notchState; }
    bool foldRescueActive() const { return foldRescue; }
    std::optional<bool> trusted() const { return accessibilityTrusted; }
    std::set<std::string> runningBundleIDs() const { return appWatcher->runningBundleIDs(); }
    // The applications whose items the program lets the bar show: those both
    // the restriction in force and the one last asked for allow (the bar holds
    // the old one until the new one takes effect), and that were let show
    // before the restriction last changed, until the bar has had
    // `restrictionSettle` to put back what it newly may. Nothing while nothing
    // restricts the bar. An application outside them is off the bar because
    // the program keeps it off, whatever else may hide it.
    std::optional<std::set<std::string>> allowedOnBar() const;
    // How long the bar takes, after a change of the restriction, to show
    // every item it newly may.
    static constexpr Duration restrictionSettle = std::chrono::seconds(3);
    // A reorder of the user's waits for the layout folder's grant; the grant
    // replays it, and forgets it once it no longer needs the folder.
    bool reorderIsWaitingForFolder() const { return reorderWaitingForFolder; }
    void forgetReorderWaitingForFolder() { reorderWaitingForFolder = false; }

    // -- Enforcement -----------------------------------------------------------

    // Plans what may be shown from the model now and asks for it. Every change
    // that can alter what may be shown ends here.
    void enforce();

    // -- Reading -----------------------------------------------------------------

    // A full read at once, for a panel that opens or a settings page that wants
    // fresh items. Dropped while one is in flight.
    void refreshItems();

    // -- Toggle, reveal, collapse -------------------------------------------------

    // The click on the control item and the reveal hot key: reveals (everything
    // with `option`) or collapses; with the below-bar panel switched on, a plain
    // toggle while collapsed opens or closes the panel instead.
    void toggle(bool option);
    // Reveals the hidden (or every) section, opens the below-bar panel instead, or
    // remembers the wish while starting.
    void reveal(bool all);
    // Back to collapsed from a revealed state; closes the panel and forgets a
    // reveal wished for while starting.
    void collapse();
    // Starts or stops the hover-reveal watch to suit the state, the switch and the
    // panel; the shell calls it at launch and when the hover switch changes.
    void updateHoverWatch();

    // -- The below-bar panel and the notch switches, for the hub and the shell -

    // Below-bar panel state: shown on request, and closed from outside.
    void setBelowBar(bool show);
    void belowBarDidClose();
    // A notch or fold-rescue switch changed: starts or stops the watch, and
    // brings every overflowed application back once the handling is off.
    void notchSettingChanged();

    // -- Notch -------------------------------------------------------------------

    // The screen sensor's change notice: a check, at most one a second.
    void screenMayHaveChanged();
    // Reads the bar and takes one notch planner step; true when the overflow changed.
    concurrency::Task<bool> checkNotch();
    // Nothing is revealed, pressed or open, the bar is collapsed and the handling on.
    bool canCheckNotch() const;

    // -- Pressing ----------------------------------------------------------------

    // Presses a hidden item for one of the panels, closing the below-bar panel
    // first. Nothing when nothing was pressed: no presser, shut down, another
    // press under way, or the press outlasted `pressLimit`.
    concurrency::Task<std::optional<system::PressOutcome>> pressItem(core::BelowBarEntry entry,
                                                                     PressSource source);
    // What both panels offer: the items read, the remembered ones of running
    // applications missing from the read (or a placeholder), in a stable order.
    std::vector<core::ItemSnapshot> pressableItems() const;

    // -- PressRevealing ----------------------------------------------------------

    using system::PressRevealing::beginReveal;
    bool isHidden(const std::string& bundleID) override;
    concurrency::Task<std::optional<system::RevealTicket>>
    beginReveal(std::string bundleID, system::RevealPurpose purpose) override;
    concurrency::Task<std::optional<system::RevealTicket>> beginLift() override;
    void endReveal(const system::RevealTicket& ticket) override;

    // -- Layout order ---------------------------------------------------------------

    // Makes the profile the active one and enforces again; another profile's id
    // forgets a reorder that waits for the layout folder.
    void setProfile(core::Profile next);
    // Writes the order the active profile asks for into the layout table;
    // `reordered` when the user changed the order itself, so the profile's order
    // is imposed on the bar instead of taken from it.
    concurrency::Task<OrderOutcome> applyOrder(bool reordered);
    // Reads the table and tells the bar's order of applications (nothing when the
    // layout folder is not granted) through `onLayoutOrder`.
    concurrency::Task<void> refreshLayoutOrder();

    // -- Command-drag sorting ------------------------------------------------------

    // Starts or stops the Command-drag watch: it runs while the drag-sort switch is
    // on, the coordinator is not shut down and the bar is collapsed, revealed or
    // revealedAll. The shell calls it at launch and after changing the switch.
    void updateDragWatch();
    // A drag may change sections now: collapsed, revealed or revealedAll, nothing
    // revealed for a press and no lift under way.
    bool canSortByDrag() const;

    // -- User-switcher stand-in ------------------------------------------------------

    // Starts from whether the real user switcher was in the bar in the previous
    // run; only while nothing is known yet.
    void restoreUserSwitcherAnswer(std::optional<bool> answer);
    // Shows or hides the stand-in to suit the switch, the state and what is known
    // of the real user switcher; the shell calls it at launch and after changing
    // the switch. Showing it places it right of the control item.
    void updateStandIn();
    // Presses the real user switcher for the stand-in, lifting the restriction
    // for a moment. `notFound` at once when the real one is known to be out of
    // reach; nothing when nothing was pressed (no presser, shut down, another
    // press under way, the real menu still open, or the press outlasted
    // `pressLimit`).
    concurrency::Task<std::optional<system::PressOutcome>> pressUserSwitcher();
    // The real user switcher's measured width, in points.
    std::optional<double> userSwitcherWidth() const { return realUserSwitcherWidth; }
    // Forgets the measured width (the system drew the real item anew); the next
    // read that finds it measures and tells it again.
    void forgetUserSwitcherWidth() { realUserSwitcherWidth.reset(); }

    // -- Settable by the shell --------------------------------------------------

    std::shared_ptr<system::ItemPressing> presser;
    // The below-bar panel is on screen.
    std::function<bool()> belowBarVisible;

    bool hoverRevealEnabled = false;
    bool belowBarEnabled = false;
    bool dragSortEnabled = false;
    bool notchOverflowEnabled = false;
    bool userSwitcherStandInEnabled = false;

    std::function<void(core::MenuBarState)> onStateChange;
    std::function<void(const std::vector<core::ItemSnapshot>&)> onItemsChange;
    std::function<void(const core::Profile&)> onProfileChange;
    std::function<void(bool)> onTrustChange;
    std::function<void(bool)> onPermissionWaitChange;
    std::function<void()> onRestrictionConfirmed;
    std::function<void(bool)> onBelowBar;
    std::function<void(bool)> onUserSwitcherStandIn;
    std::function<void(const std::set<core::AppKey>&)> onNotchOverflowChange;
    std::function<void(const std::optional<std::vector<core::AppKey>>&)> onLayoutOrder;
    std::function<void(bool)> onUserSwitcherAnswer;
    std::function<void(double)> onUserSwitcherWidth;

private:
    friend class CoordinatorProbe; // the tests' window onto the model

    Coordinator(Services services, Timings timings, Clocks clocks);

    // -- State machine (Coordinator.cpp) ----------------------------------------

    // The only writer of `base` and `pauseReason`.
    void setBase(core::MenuBarState state, std::optional<PauseReason> reason);
    // Enters `starting` and launches a start attempt.
    void beginStarting();
    // The hub: run after every `setBase` and every change of `captureInUse`, with
    // the effective state from before.
    void stateDidChange(core::MenuBarState previous);
    void captureUseChanged(const system::CaptureUse& use);
    void appActivity(const system::AppActivity& event);
    core::MenuBarState effectiveState(bool inUse) const;
    // The states in which something may be hidden: collapsed, revealed, revealedAll.
    static bool isShowingState(core::MenuBarState state);
    // The three checks a task makes after every suspension: the coordinator is
    // gone, the task is cancelled, or the coordinator is shut down.
    static bool isGoneOrStopped(const std::shared_ptr<Coordinator>& self);
    // Whether a line written now belongs to the start-up period (the first 300 s).
    bool isEarlyInRun() const;
    core::LogLevel progressLevel() const;

    // -- Start-up (CoordinatorStart.cpp) -----------------------------------------

    // The start attempt: reads, judges the read, retries passing problems, waits
    // while the bar looks hidden, then decides through `finishStarting`.
    static concurrency::Task<void> startAttempt(std::weak_ptr<Coordinator> weak,
                                                std::shared_ptr<system::ItemReading> reader, int generation);
    // Polls for the own item while only Apple's items can be read; true when the
    // attempt should read again, false when it has become stale.
    static concurrency::Task<bool> waitForMenuBarToShow(std::weak_ptr<Coordinator> weak,
                                                        std::shared_ptr<system::ItemReading> reader,
                                                        int generation);
    // The decision after the last read of an attempt.
    void finishStarting(const system::ItemReading::Result& result, const system::HealthReport& report);
    // Starts the fold rescue: hiding goes on while it watches for the control item.
    void checkOwnItemAppears();
    static concurrency::Task<void> foldRescueTask(std::weak_ptr<Coordinator> weak,
                                                  std::shared_ptr<system::ItemReading> reader, int generation,
                                                  std::string selfBundleID, std::vector<Duration> delays);
    // Whether a start attempt of this generation may still act.
    bool isStartCurrent(int generation) const;
    // A read's summary for the log: count, owners and whether the chevron is there.
    static std::string describe(const system::ItemReading::Result& result);
    // Only Apple's items were read, none of them the own: the bar itself seems hidden.
    static bool menuBarLooksHidden(const system::ItemReading::Result& result,
                                   const std::string& selfBundleID);
    // Only passing problems (a time-out, no items, no own item) are worth another read.
    static bool isWorthRetrying(const system::HealthReport& report);

    // -- Trust (CoordinatorTrust.cpp) ---------------------------------------------

    // The periodic trust and own-item checks, from `start` until shutdown.
    void startTrustChecks();
    static concurrency::Task<void> trustLoop(std::weak_ptr<Coordinator> weak, Duration interval);
    // One tick: the permission, then the control item.
    void checkPermission();
    void checkOwnItemOnBar();
    // Asks for the trust, stores it and tells a change; the answer.
    bool refreshTrust();
    // Whether the process is known to lack the permission (refreshing the trust).
    bool knownUntrusted();

    // -- Reading (CoordinatorReading.cpp) -----------------------------------------

    // The restriction generation, when the bar has been without restriction for
    // long enough that a read now shows every item; nothing otherwise.
    std::optional<int> readMark() const;
    static concurrency::Task<void> refreshRead(std::weak_ptr<Coordinator> weak,
                                               std::shared_ptr<system::ItemReading> reader,
                                               std::optional<int> mark, int generation);
    // Full reads after launches, coalesced into one task.
    void scheduleReread();
    static concurrency::Task<void> runReread(std::weak_ptr<Coordinator> weak);
    static concurrency::Task<void> rereadLoop(std::weak_ptr<Coordinator> weak);
    // Reads of one launched owner over short delays, until its items show up.
    void scheduleQuickRead(const std::string& bundleID);
    static concurrency::Task<void> runQuickRead(std::weak_ptr<Coordinator> weak, std::string bundleID);
    static concurrency::Task<void> quickReadLoop(std::weak_ptr<Coordinator> weak, std::string bundleID);
    // A full read's answer, keeping what quick reads found after it began.
    void absorbReread(const system::ItemReading::Result& result, std::optional<int> startedAt);
    // Merges a read into the model; whether the set of applications changed.
    bool absorbItems(std::vector<core::ItemSnapshot> read);

    // -- Visibility (CoordinatorVisibility.cpp) -----------------------------------

    // The applications the notch handling keeps off the bar now.
    std::set<core::AppKey> notchPlanOverflow() const;
    // Running applications and every owner seen so far.
    std::set<core::AppKey> currentOwners() const;
    void restrict(core::VisibilityPlan plan);
    static concurrency::Task<void> applyPlan(std::weak_ptr<Coordinator> weak, int generation,
                                             std::shared_ptr<system::VisibilityControlling> visibility,
                                             core::VisibilityPlan plan);
    void restrictionFinished(const system::SystemResult<core::VisibilityPlan>& result);
    // Keeps what the bar is let show now, before the restriction changes.
    void noteAllowanceChange();

    // -- Reveal (CoordinatorReveal.cpp) ------------------------------------------

    // Reveals because the pointer rested on the control item or the empty band
    // right of it (the hover loop's verdict).
    void hoverReveal();
    // Collapses because the pointer stayed away long enough (the auto-collapse loop's).
    void autoCollapse();
    // Starts or stops the auto-collapse watch to suit the state.
    void updateAutoCollapse();
    // Counts the time the pointer spends away from the menu bar, in ticks, and
    // collapses once it reaches the limit.
    static concurrency::Task<void> autoCollapseLoop(std::weak_ptr<Coordinator> weak, int generation,
                                                    Duration limit, Duration tick,
                                                    std::shared_ptr<system::PointerSensing> pointer,
                                                    concurrency::Sleep sleep);
    // Feeds the hover dwell with samples and checks a completed dwell: no menu
    // open, and for the right-hand band that it really is empty space.
    static concurrency::Task<void> hoverLoop(std::weak_ptr<Coordinator> weak, int generation,
                                             std::shared_ptr<system::HoverSensing> hover);
    // Whether a hover loop of this generation may still act.
    static bool isHoverCurrent(const std::shared_ptr<Coordinator>& self, int generation);
    // Each bumps its loop's generation, cancels the task and forgets it.
    void stopAutoCollapse();
    void stopHoverWatch();

    // -- Pressing (CoordinatorPressing.cpp) --------------------------------------

    // Closes the record of an open panel that was closed from outside.
    void syncBelowBar();
    static concurrency::Task<std::optional<system::PressOutcome>>
    pressItemBody(std::shared_ptr<Coordinator> self, core::BelowBarEntry entry, PressSource source);
    // Waits for a press run as a task of its own, at most `pressLimit`; the
    // press is cancelled when it outlasts that or goes away without an outcome.
    static concurrency::Task<concurrency::FutureResult<system::PressOutcome>>
    pressWithinLimit(std::shared_ptr<Coordinator> self, concurrency::Task<system::PressOutcome> press);
    static concurrency::Task<std::optional<system::RevealTicket>>
    beginRevealBody(std::shared_ptr<Coordinator> self, std::string bundleID, system::RevealPurpose purpose);
    static concurrency::Task<std::optional<system::RevealTicket>>
    beginLiftBody(std::shared_ptr<Coordinator> self);
    // Ends the ticket after `limit` unless it has been ended before.
    void startRevealDeadline(const system::RevealTicket& ticket, Duration limit);
    static concurrency::Task<void> revealDeadline(std::weak_ptr<Coordinator> weak,
                                                  system::RevealTicket ticket, Duration limit,
                                                  concurrency::Sleep revealSleep);
    // "1234 ms": whole milliseconds, as the log lines give waits.
    static std::string milliseconds(Duration duration);

    // -- Notch (CoordinatorNotch.cpp) --------------------------------------------

    // Switched on, and the below-bar panel or the fold rescue makes use of it.
    bool isNotchHandlingActive() const;
    // Starts or stops the screen notices and the backing-off watch task to suit
    // the state and the switches.
    void updateNotchWatch();
    // Checks after 2.5 s, 5 s, then every 10 s while nothing changes; a change
    // brings the rhythm back to the first interval.
    static concurrency::Task<void> notchWatch(std::weak_ptr<Coordinator> weak, int generation, Duration tick,
                                              concurrency::Sleep sleep);
    static concurrency::Task<void> checkNotchFromNotice(std::weak_ptr<Coordinator> weak);
    static concurrency::Task<bool> checkNotchBody(std::weak_ptr<Coordinator> weak);
    // The planner's input from a read and the model.
    core::NotchPlanner::Input notchInput(std::vector<core::ItemSnapshot> readItems,
                                         std::set<core::AppKey> visible,
                                         std::optional<double> notchRight) const;
    // Stores the planner's state; true, with a log line, an enforce and the
    // callback, when the overflow set changed.
    bool applyNotch(core::NotchPlanner::State state);
    // Logs when the screen in use turns notched or plain.
    void noteActiveScreen(const core::NotchPlanner::ActiveScreen& active);
    // Asks the notch handling to make room for a folded control item, or stops asking.
    void setFoldRescue(bool on);

    // -- Order (CoordinatorOrder.cpp) --------------------------------------------

    // Not shut down, a layout service, and a state in which the table may be written.
    bool canWriteNow() const;
    // The states in which the layout order may be written.
    static bool isWritableState(core::MenuBarState state);
    // Stores a request into a pending or deferred slot: a reorder if any merged one was.
    static void mergeRequest(std::optional<bool>& stored, bool reordered);
    // The coordinator after an await when it may still write; else nothing, and
    // the request is deferred until the state allows writing.
    static std::shared_ptr<Coordinator> lockForWriting(const std::weak_ptr<Coordinator>& weak,
                                                       bool reordered);
    std::set<core::AppKey> runningApps() const;
    // The running applications of the shown section with their number of items.
    std::map<core::AppKey, int> shownIconCounts() const;
    static concurrency::Task<OrderOutcome> runApplyOrder(std::weak_ptr<Coordinator> weak, bool reordered);
    // One attempt and, when the table moved before the write, one more at once.
    static concurrency::Task<OrderOutcome> applyOrderOnce(std::weak_ptr<Coordinator> weak, bool reordered,
                                                          std::shared_ptr<system::ItemReordering> service);
    static concurrency::Task<OrderOutcome> applyOrderAttempt(std::weak_ptr<Coordinator> weak, bool reordered,
                                                             std::shared_ptr<system::ItemReordering> service);
    // Tells the bar's order and lets the profile follow it, unless the profile
    // changed since the attempt began.
    void reportAndAdopt(const std::vector<core::AppKey>& barOrder,
                        const std::vector<core::AppKey>& startOrder, const core::Uuid& startID);
    static concurrency::Task<void> runRefreshLayoutOrder(std::weak_ptr<Coordinator> weak);
    static concurrency::Task<OrderOutcome> runPlaceMissingShown(std::weak_ptr<Coordinator> weak);
    // Places shown applications missing from the layout table after a delay.
    void schedulePlaceShown(Duration after);
    static concurrency::Task<void> placeShown(std::weak_ptr<Coordinator> weak, int generation,
                                              Duration after);
    // Adds the layout keys shown applications lack, and moves Apple's keys right
    // of the control item.
    concurrency::Task<OrderOutcome> placeMissingShown();
    // Replays an order request deferred until the state allowed writing.
    static concurrency::Task<void> flushDeferredOrder(std::weak_ptr<Coordinator> weak, bool reordered);

    // -- Drag (CoordinatorDrag.cpp) ----------------------------------------------

    // One finished Command-drag, as the watcher reports it: what it grabbed,
    // then a read of the bar once it has settled.
    void menuBarDragged(const system::MenuBarDragEvent& event);
    // The read after a drag; `owners` limits it, nothing reads every item.
    static concurrency::Task<void>
    readAfterDrag(std::weak_ptr<Coordinator> weak, std::shared_ptr<system::ItemReading> reader,
                  int generation, core::DragSorting::Grab grab, std::optional<std::set<std::string>> owners,
                  std::optional<core::VisibilityPlan> planBefore, core::Point drop);
    // Turns the read into section changes of the active profile, unless what is
    // shown changed during the read.
    void finishDragSort(const core::DragSorting::Grab& grab, const system::ItemReading::Result& result,
                        const std::optional<core::VisibilityPlan>& planBefore, core::Point drop);

    // -- Stand-in (CoordinatorStandIn.cpp) ---------------------------------------

    // Learns from a full read whether the real user switcher is in the bar, how
    // wide it is and whether it can be reached; `mark` is the restriction
    // generation when the read began on a bar long without restriction.
    void noteUserSwitcher(const system::ItemReading::Result& result, std::optional<int> mark);
    // Puts the stand-in right of the control item in the layout table: up to four
    // attempts, at once and after 1, 2 and 3 s more, while the system has not
    // listed it yet or the table moves under the write.
    static concurrency::Task<OrderOutcome> placeStandInNextToControl(std::weak_ptr<Coordinator> weak);
    // The placement task: places, then logs the outcome.
    static concurrency::Task<OrderOutcome> standInPlacementTask(std::weak_ptr<Coordinator> weak);
    // The coordinator when a placement attempt may go on; nothing otherwise.
    static std::shared_ptr<Coordinator> lockForStandIn(const std::weak_ptr<Coordinator>& weak);
    static void logStandInPlacement(const OrderOutcome& outcome);
    static concurrency::Task<std::optional<system::PressOutcome>>
    pressUserSwitcherBody(std::shared_ptr<Coordinator> self);

    // The stand-in's item name in the layout table; the order writing keeps it
    // next to the control item.
    static constexpr const char* standInItemName = "UserSwitcherStandIn";

    // -- Services ----------------------------------------------------------------

    const std::shared_ptr<system::ItemReading> reader;
    const std::shared_ptr<system::VisibilityControlling> visibility;
    const std::shared_ptr<system::AppActivityWatching> appWatcher;
    const std::shared_ptr<system::CaptureUseWatching> captureWatcher;
    const std::shared_ptr<system::HealthChecking> health;
    const std::shared_ptr<system::PointerSensing> pointer;
    const std::shared_ptr<system::HoverSensing> hover;
    const std::shared_ptr<system::AccessibilityTrustChecking> trust;
    const std::shared_ptr<system::MenuBarDragWatching> dragWatcher;
    const std::shared_ptr<system::ScreenSensing> screens;
    const std::shared_ptr<system::ItemReordering> reorderer;

    // -- Injected closures -------------------------------------------------------

    concurrency::MainExecutor& executor;
    const concurrency::Now now;
    const std::function<bool()> ownItemPlaced;
    const std::function<std::optional<bool>()> ownItemOnBar;
    const concurrency::Sleep sleep;
    const concurrency::Sleep revealSleep;
    const concurrency::WallClock wallClock;

    // -- Timing values and limits ------------------------------------------------

    const Duration hoverTick;
    const Duration hoverIdleTick;
    const std::optional<Duration> trustCheckInterval;
    const std::optional<Duration> autoCollapseAfter;
    const Duration autoCollapseTick;
    const std::string selfBundleID;
    const std::vector<Duration> rereadDelays;
    const std::vector<Duration> quickReadDelayList;
    const std::vector<Duration> startRetryDelays;
    const std::vector<Duration> foldedCheckDelays;
    const std::vector<Duration> hiddenBarPollDelays;
    const Duration temporaryRevealLimit;
    const Duration temporaryLiftLimit;
    const Duration temporaryLeaveLimit;
    const Duration pressLimit;
    const std::optional<Duration> notchTick;

    // -- Model -------------------------------------------------------------------

    int offBarStreak = 0;
    core::MenuBarState base = core::MenuBarState::starting;
    bool captureInUse = false;
    std::optional<PauseReason> pauseReason;
    core::Profile profile;
    std::set<core::AppKey> knownOwners;
    std::vector<core::ItemSnapshot> items;
    std::map<std::string, int> quickFound;
    std::optional<core::VisibilityPlan> requestedPlan;
    // What the bar was let show before the restriction last changed, and when
    // the change was asked for or took effect (nothing: everything).
    struct AllowanceChange {
        std::optional<std::set<std::string>> before;
        Instant at;
    };
    std::optional<AllowanceChange> allowanceChange;
    std::optional<bool> accessibilityTrusted;
    std::map<int, core::AppKey> temporaryReveals;
    int revealSerial = 0;
    std::set<int> temporaryLifts;
    std::optional<bool> realUserSwitcherInBar;
    bool userSwitcherUnreachable = false;
    std::map<core::AppKey, std::vector<core::ItemSnapshot>> rememberedItems;
    std::map<core::AppKey, int> firstSeenRank;
    std::optional<double> realUserSwitcherWidth;
    std::optional<Instant> unrestrictedSince;
    bool hasRequestedRestriction = false;
    std::optional<Instant> startedAt;
    int grantRetriesLeft = 0;
    core::NotchPlanner::State notchState;
    int notchChangeCount = 0;
    std::optional<Instant> lastNotchNotice;
    std::optional<bool> lastActiveNotched;
    int notchPlainStreak = 0;
    std::optional<bool> revealAfterStart;

    // -- Switches of the coordinator's own ---------------------------------------

    bool foldRescue = false;

    // -- Flags -------------------------------------------------------------------

    bool hasStarted = false;
    bool isShutDown = false;
    bool isBelowBarShown = false;
    bool isPressingItem = false;
    bool isUserSwitcherStandInShown = false;
    bool isDragWatchRunning = false;
    bool isCheckingNotch = false;
    bool isScreenWatchRunning = false;
    bool isApplyingOrder = false;
    bool reorderWaitingForFolder = false;
    std::optional<bool> pendingOrder;
    std::optional<bool> deferredOrder;

    // -- Tasks and their counters ------------------------------------------------

    concurrency::TaskHandle<void> startTask;
    int startGeneration = 0;
    concurrency::TaskHandle<void> rereadTask;
    int rereadRequests = 0;
    concurrency::TaskHandle<void> refreshTask;
    std::map<std::string, concurrency::TaskHandle<void>> quickReadTasks;
    int itemsGeneration = 0;
    concurrency::TaskHandle<void> applyTask;
    int restrictGeneration = 0;
    concurrency::TaskHandle<void> collapseTask;
    int collapseGeneration = 0;
    concurrency::TaskHandle<void> hoverTask;
    int hoverGeneration = 0;
    concurrency::TaskHandle<void> trustTask;
    std::map<int, concurrency::TaskHandle<void>> revealDeadlines;
    concurrency::TaskHandle<void> dragTask;
    int dragGeneration = 0;
    concurrency::TaskHandle<void> notchTask;
    int notchGeneration = 0;
    concurrency::TaskHandle<void> placeShownTask;
    int placeShownGeneration = 0;
    concurrency::TaskHandle<OrderOutcome> standInPlacement;
};

} // namespace pellacor::coordinator
