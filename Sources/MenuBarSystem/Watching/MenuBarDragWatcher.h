#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/QueueTimer.h"
#include "Concurrency/TimerQueue.h"
#include "MenuBarCore/Planning/DragSorting.h"
#include "MenuBarSystem/Watching/DragTracker.h"
#include "MenuBarSystem/Watching/MenuBarDragWatching.h"
#include "Platform/Accessibility.h"
#include "Platform/DisplayList.h"
#include "Platform/InputState.h"
#include "Platform/PlatformServices.h"
#include "Platform/Workspace.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace pellacor::system {

// Watches for Command-drags in the real menu bar. The system moves the item;
// this only observes: every 40 ms, on its own queue, it samples the left mouse
// button, the modifier flags and the pointer, and at a Command press in the
// menu-bar band it notes which status item is under the pointer. A release in
// the band at least 6 points away is reported 600 ms later, once the bar has
// settled, with the item under the release point then. The handler runs on the
// main executor.
//
// The 40 ms tick runs only while Command is held or a press made with it is
// under way: nothing else can begin or end a Command-drag. Otherwise the watch
// rests, and the input's notice that the modifier keys changed wakes it: a
// sample at once, then ticks while they are needed. `start` looks at the
// modifiers at once and ticks from 40 ms later when Command is held. A press
// the resting watch could not see is judged by the input's event times: made
// before Command went down, it is a press without Command; made with it (at the
// same moment or after), a Command press.
//
// Each `start` and `stop` begins a new generation: ticks, wake-ups, press
// records and settle waits of an older one do nothing. The watch state sits
// behind a mutex held only to copy or store it, never while the input, the
// displays or accessibility are asked anything.
//
// While watching, the timer's handler and the modifier observation hold the
// watcher, so letting go of it does not end the watch; `stop` does. Always
// owned by a shared pointer (`create`).
class MenuBarDragWatcher final : public MenuBarDragWatching,
                                 public std::enable_shared_from_this<MenuBarDragWatcher> {
public:
    static constexpr std::string_view queueSuffix = ".drag-watcher";
    // The polling period, and how late a tick may come.
    static constexpr concurrency::Duration tick = std::chrono::milliseconds(40);
    static constexpr concurrency::Duration tickLeeway = std::chrono::milliseconds(10);
    // The wait after a qualifying release before the end hit is taken and the event sent.
    static constexpr concurrency::Duration settle = std::chrono::milliseconds(600);
    // The height of a display's menu-bar band, from the top of its bounds.
    static constexpr double menuBarBandHeight = 44;
    // How many parents the hit test walks up from the element under the pointer
    // looking for the status item, whose parent is the extras menu bar.
    static constexpr int parentWalkLimit = 5;
    // How long the hit test's accessibility messages may wait, in seconds.
    static constexpr float messagingTimeout = 0.25F;

    // "app.trayvane.pellacor.drag-watcher".
    static std::string queueLabel();

    // Reads the input state, the display list, accessibility and the running
    // applications of `services`; ticks on a queue of its own thread, labelled
    // `queueLabel()`; delivers on `executor`, which outlives the watcher.
    static std::shared_ptr<MenuBarDragWatcher> create(const platform::PlatformServices& services,
                                                      concurrency::MainExecutor& executor);
    // The same on a queue of the caller's choosing (a manual one in tests).
    static std::shared_ptr<MenuBarDragWatcher> create(const platform::PlatformServices& services,
                                                      concurrency::MainExecutor& executor,
                                                      std::shared_ptr<concurrency::TimerQueue> queue);

    MenuBarDragWatcher(const MenuBarDragWatcher&) = delete;
    MenuBarDragWatcher& operator=(const MenuBarDragWatcher&) = delete;

    void start(Handler handler) override;
    void stop() override;

    const std::shared_ptr<concurrency::TimerQueue>& queue() const { return queue_; }

    // Whether a top-down point lies in the menu-bar band of an active display:
    // minX <= x < maxX and minY <= y < minY + 44 of its bounds. A display list
    // that cannot be read counts as no display.
    static bool isInMenuBar(TopDownPoint point, platform::DisplayList& displays);
    // The status item under a top-down point: the element there, or one of its
    // ancestors up to `parentWalkLimit` parents up, whose parent is its
    // application's extras menu bar; its owner is the application's bundle
    // identifier and its identifier the usable form of its "AXIdentifier". Any
    // failure on the way, or no such ancestor, is `none`.
    static core::DragSorting::Hit hit(TopDownPoint point, platform::Accessibility& accessibility,
                                      const platform::Workspace& workspace);

private:
    struct WatchState {
        std::shared_ptr<concurrency::QueueTimer> timer;
        DragTracker tracker;
        core::DragSorting::Hit startHit = core::DragSorting::Hit::none();
        bool startInMenuBar = false;
        std::int64_t generation = 0;
        Handler handler;
        // The input's notices of the modifier keys, while watching.
        std::unique_ptr<platform::InputState::ModifierObservation> observation;
        // The watch rested since its last sample, so the tracker's idea of the
        // button may be stale; the next sample puts it right.
        bool rested = false;
    };

    MenuBarDragWatcher(const platform::PlatformServices& services, concurrency::MainExecutor& executor,
                       std::shared_ptr<concurrency::TimerQueue> queue);

    void arm(const std::shared_ptr<concurrency::QueueTimer>& timer, std::int64_t generation);
    // Starts ticking unless the watch ticks already or is stale.
    void tickFromNow(std::int64_t generation);
    // One sample, on the queue: a tick of the timer, or the wake-up after a
    // modifier change, which does nothing while the timer ticks. Ends the ticks
    // once neither Command nor a Command press is held, starts them on a
    // wake-up that finds either.
    void step(std::int64_t generation, bool tick);
    // The end of a settle wait, on the queue.
    void finishSettle(const core::DragSorting::Hit& startHit, TopDownPoint from, TopDownPoint to,
                      std::int64_t generation);

    const std::shared_ptr<const platform::InputState> input_;
    const std::shared_ptr<platform::DisplayList> displays_;
    const std::shared_ptr<platform::Accessibility> accessibility_;
    const std::shared_ptr<const platform::Workspace> workspace_;
    concurrency::MainExecutor& executor_;
    const std::shared_ptr<concurrency::TimerQueue> queue_;

    std::mutex mutex_;
    WatchState state_;
};

} // namespace pellacor::system
