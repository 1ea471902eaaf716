#include "MenuBarSystem/Watching/MenuBarDragWatcher.h"

#include "Concurrency/ThreadTimerQueue.h"
#include "MenuBarCore/Matching/IdentityName.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityName.h"

#include <optional>
#include <utility>
#include <variant>

namespace pellacor::system {

using core::DragSorting;
using platform::AccessibilityError;
using platform::AccessibilityName;
using platform::InputState;

std::string MenuBarDragWatcher::queueLabel() {
    return std::string(core::bundleIdentifier) + std::string(queueSuffix);
}

std::shared_ptr<MenuBarDragWatcher> MenuBarDragWatcher::create(const platform::PlatformServices& services,
                                                               concurrency::MainExecutor& executor) {
    return create(services, executor, std::make_shared<concurrency::ThreadTimerQueue>(queueLabel()));
}

std::shared_ptr<MenuBarDragWatcher>
MenuBarDragWatcher::create(const platform::PlatformServices& services, concurrency::MainExecutor& executor,
                           std::shared_ptr<concurrency::TimerQueue> queue) {
    return std::shared_ptr<MenuBarDragWatcher>(new MenuBarDragWatcher(services, executor, std::move(queue)));
}

MenuBarDragWatcher::MenuBarDragWatcher(const platform::PlatformServices& services,
                                       concurrency::MainExecutor& executor,
                                       std::shared_ptr<concurrency::TimerQueue> queue)
    : input_(services.inputState), displays_(services.displayList), accessibility_(services.accessibility),
      workspace_(services.workspace), executor_(executor), queue_(std::move(queue)) {}

void MenuBarDragWatcher::start(Handler handler) {
    std::shared_ptr<concurrency::QueueTimer> previous;
    std::unique_ptr<InputState::ModifierObservation> previousObservation;
    std::int64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        previous = std::move(state_.timer);
        state_.timer = nullptr;
        previousObservation = std::move(state_.observation);
        state_.tracker = DragTracker();
        state_.handler = std::move(handler);
        state_.rested = false;
        generation = ++state_.generation;
    }
    // The old timer's handler and observation hold this watcher: they are let
    // go outside the lock. Their calls are stale from here on.
    if (previous) {
        previous->cancel();
    }
    previousObservation.reset();

    // Told on whichever thread changed the keys: the sample runs on the queue.
    auto observation =
        input_->observeModifierFlags([self = shared_from_this(), generation](std::uint64_t flags) {
            if ((flags & InputState::commandFlag) != 0) {
                self->queue_->async([self, generation] { self->step(generation, false); });
            }
        });
    const bool command =
        (input_->flagsState(InputState::combinedSessionState) & InputState::commandFlag) != 0;
    {
        std::lock_guard lock(mutex_);
        if (state_.generation != generation) {
            return;
        }
        std::swap(state_.observation, observation);
        state_.rested = !command;
    }
    if (command) {
        tickFromNow(generation);
    }
}

void MenuBarDragWatcher::stop() {
    std::shared_ptr<concurrency::QueueTimer> timer;
    std::unique_ptr<InputState::ModifierObservation> observation;
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(state_.timer);
        state_.timer = nullptr;
        observation = std::move(state_.observation);
        handler = std::move(state_.handler);
        state_.handler = nullptr;
        ++state_.generation;
    }
    if (timer) {
        timer->cancel();
    }
}

void MenuBarDragWatcher::tickFromNow(std::int64_t generation) {
    auto timer = concurrency::QueueTimer::create(queue_);
    {
        std::lock_guard lock(mutex_);
        if (state_.generation != generation || state_.timer) {
            return;
        }
        state_.timer = timer;
        state_.rested = false;
    }
    arm(timer, generation);
}

void MenuBarDragWatcher::arm(const std::shared_ptr<concurrency::QueueTimer>& timer, std::int64_t generation) {
    timer->schedule(concurrency::deadlineAfter(queue_->now(), tick), tick, tickLeeway);
    timer->setEventHandler([self = shared_from_this(), generation] { self->step(generation, true); });
    timer->resume();
}

void MenuBarDragWatcher::step(std::int64_t generation, bool tick) {
    const bool buttonDown = input_->buttonState(InputState::combinedSessionState, InputState::leftButton);
    const std::uint64_t flags = input_->flagsState(InputState::combinedSessionState);
    const bool command = (flags & InputState::commandFlag) != 0;
    const TopDownPoint location = input_->currentEventLocation().value_or(TopDownPoint{0, 0});
    // Only a wake-up after a rest needs them: whether the button went down
    // before the modifiers last changed. Read in this order, a press made at
    // the same moment as the change counts as made after it.
    const double sincePress =
        tick ? 0
             : input_->secondsSinceLastEventType(InputState::combinedSessionState, InputState::leftMouseDown);
    const double sinceModifiers =
        tick ? 0
             : input_->secondsSinceLastEventType(InputState::combinedSessionState, InputState::flagsChanged);

    std::unique_lock lock(mutex_);
    if (state_.generation != generation || (!tick && state_.timer)) {
        return;
    }
    if (state_.rested) {
        // A press the resting watch did not see was made without Command when
        // it came before Command went down.
        state_.tracker.down = buttonDown && sincePress > sinceModifiers;
    }
    const auto event = state_.tracker.step(buttonDown, command, location);
    const bool needed = command || state_.tracker.start.has_value();
    std::shared_ptr<concurrency::QueueTimer> ended;
    if (tick && !needed) {
        ended = std::move(state_.timer);
        state_.timer = nullptr;
        state_.rested = true;
    }
    const bool begin = !tick && needed;
    const std::optional<DragSorting::Hit> pendingStart =
        event && std::holds_alternative<DragTracker::Released>(*event) ? std::optional(state_.startHit)
                                                                       : std::nullopt;
    const bool startInMenuBar = state_.startInMenuBar;
    lock.unlock();
    if (ended) {
        ended->cancel();
    }
    if (begin) {
        tickFromNow(generation);
    }
    if (!event) {
        return;
    }

    if (const auto* pressed = std::get_if<DragTracker::Pressed>(&*event)) {
        const bool inMenuBar = isInMenuBar(pressed->location, *displays_);
        DragSorting::Hit startHit =
            inMenuBar ? hit(pressed->location, *accessibility_, *workspace_) : DragSorting::Hit::none();
        lock.lock();
        if (state_.generation == generation) {
            state_.startHit = std::move(startHit);
            state_.startInMenuBar = inMenuBar;
        }
        return;
    }

    const auto& released = std::get<DragTracker::Released>(*event);
    if (!startInMenuBar || !isInMenuBar(released.to, *displays_)) {
        return;
    }
    // The wait holds the watcher weakly: once nobody has it, nobody wants the event.
    queue_->asyncAt(concurrency::deadlineAfter(queue_->now(), settle),
                    [weak = weak_from_this(), startHit = *pendingStart, from = released.from,
                     to = released.to, generation] {
                        if (auto self = weak.lock()) {
                            self->finishSettle(startHit, from, to, generation);
                        }
                    });
}

void MenuBarDragWatcher::finishSettle(const DragSorting::Hit& startHit, TopDownPoint from, TopDownPoint to,
                                      std::int64_t generation) {
    DragSorting::Hit endHit = hit(to, *accessibility_, *workspace_);
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        if (state_.generation != generation || !state_.handler) {
            return;
        }
        handler = state_.handler;
    }
    MenuBarDragEvent event{startHit, std::move(endHit), true, from, to};
    executor_.postFromAnyThread([handler = std::move(handler), event = std::move(event)] { handler(event); });
}

bool MenuBarDragWatcher::isInMenuBar(TopDownPoint point, platform::DisplayList& displays) {
    const auto count = displays.activeDisplayCount();
    if (count.error != platform::DisplayList::success) {
        return false;
    }
    const auto list = displays.activeDisplayList(count.count);
    if (list.error != platform::DisplayList::success) {
        return false;
    }
    for (const auto display : list.displays) {
        const core::Rect bounds = displays.displayBounds(display);
        if (bounds.minX() <= point.x && point.x < bounds.maxX() && bounds.minY() <= point.y &&
            point.y < bounds.minY() + menuBarBandHeight) {
            return true;
        }
    }
    return false;
}

DragSorting::Hit MenuBarDragWatcher::hit(TopDownPoint point, platform::Accessibility& accessibility,
                                         const platform::Workspace& workspace) {
    const auto systemWide = accessibility.createSystemWide();
    accessibility.setMessagingTimeout(systemWide, messagingTimeout);
    const auto found = accessibility.copyElementAtPosition(systemWide, static_cast<float>(point.x),
                                                           static_cast<float>(point.y));
    if (found.error != AccessibilityError::success || !found.element) {
        return DragSorting::Hit::none();
    }
    const auto process = accessibility.getPid(found.element);
    if (process.error != AccessibilityError::success || process.processIdentifier < 1) {
        return DragSorting::Hit::none();
    }
    std::optional<std::string> bundleIdentifier;
    for (const auto& application : workspace.runningApplications()) {
        if (application.processIdentifier == process.processIdentifier) {
            bundleIdentifier = application.bundleIdentifier;
            break;
        }
    }
    if (!bundleIdentifier) {
        return DragSorting::Hit::none();
    }

    const auto applicationElement = accessibility.createApplication(process.processIdentifier);
    accessibility.setMessagingTimeout(applicationElement, messagingTimeout);
    const auto extras =
        accessibility.copyAttributeValue(applicationElement, AccessibilityName::extrasMenuBar);
    const auto* extrasMenuBar =
        extras.error == AccessibilityError::success && extras.value ? extras.value->element() : nullptr;
    if (extrasMenuBar == nullptr || !*extrasMenuBar) {
        return DragSorting::Hit::none();
    }

    platform::AccessibilityElement current = found.element;
    for (int steps = 0; steps < parentWalkLimit; ++steps) {
        const auto parent = accessibility.copyAttributeValue(current, AccessibilityName::parent);
        const auto* parentElement =
            parent.error == AccessibilityError::success && parent.value ? parent.value->element() : nullptr;
        if (parentElement == nullptr || !*parentElement) {
            return DragSorting::Hit::none();
        }
        if (accessibility.isEqual(*parentElement, *extrasMenuBar)) {
            const auto identifier = accessibility.copyAttributeValue(current, AccessibilityName::identifier);
            std::optional<std::string> raw;
            if (identifier.error == AccessibilityError::success && identifier.value &&
                identifier.value->string() != nullptr) {
                raw = *identifier.value->string();
            }
            return DragSorting::Hit::item(*bundleIdentifier, core::IdentityName::usableIdentifier(raw));
        }
        current = *parentElement;
    }
    return DragSorting::Hit::none();
}

} // namespace pellacor::system
