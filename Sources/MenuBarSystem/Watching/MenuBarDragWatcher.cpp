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
    auto timer = concurrency::QueueTimer::create(queue_);
    std::shared_ptr<concurrency::QueueTimer> previous;
    std::int64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        previous = std::exchange(state_.timer, timer);
        state_.tracker = DragTracker();
        state_.handler = std::move(handler);
        generation = ++state_.generation;
    }
    // The old timer's handler holds this watcher: it is let go outside the lock.
    // Its ticks are stale from here on, whenever the cancel lands.
    if (previous) {
        previous->cancel();
    }
    arm(timer, generation);
}

void MenuBarDragWatcher::stop() {
    std::shared_ptr<concurrency::QueueTimer> timer;
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        timer = std::move(state_.timer);
        state_.timer = nullptr;
        handler = std::move(state_.handler);
        state_.handler = nullptr;
        ++state_.generation;
    }
    if (timer) {
        timer->cancel();
    }
}

void MenuBarDragWatcher::arm(const std::shared_ptr<concurrency::QueueTimer>& timer, std::int64_t generation) {
    timer->schedule(concurrency::deadlineAfter(queue_->now(), tick), tick, tickLeeway);
    timer->setEventHandler([self = shared_from_this(), generation] { self->step(generation); });
    timer->resume();
}

void MenuBarDragWatcher::step(std::int64_t generation) {
    const bool buttonDown = input_->buttonState(InputState::combinedSessionState, InputState::leftButton);
    const bool command =
        (input_->flagsState(InputState::combinedSessionState) & InputState::commandFlag) != 0;
    const TopDownPoint location = input_->currentEventLocation().value_or(TopDownPoint{0, 0});

    std::unique_lock lock(mutex_);
    if (state_.generation != generation) {
        return;
    }
    const auto event = state_.tracker.step(buttonDown, command, location);
    if (!event) {
        return;
    }

    if (const auto* pressed = std::get_if<DragTracker::Pressed>(&*event)) {
        lock.unlock();
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
    const DragSorting::Hit startHit = state_.startHit;
    const bool startInMenuBar = state_.startInMenuBar;
    lock.unlock();
    if (!startInMenuBar || !isInMenuBar(released.to, *displays_)) {
        return;
    }
    // The wait holds the watcher weakly: once nobody has it, nobody wants the event.
    queue_->asyncAt(concurrency::deadlineAfter(queue_->now(), settle),
                    [weak = weak_from_this(), startHit, from = released.from, to = released.to, generation] {
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
