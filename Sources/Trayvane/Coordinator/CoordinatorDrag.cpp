#include "Concurrency/TaskContext.h"
#include "MenuBarCore/Planning/UserSwitcherStandIn.h"
#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Coordinator/Coordinator.h"

#include <cmath>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <utility>

namespace pellacor::coordinator {

using core::DragSorting;

namespace {

// "com.example.a：hidden→shown", joined by ",".
std::string describeChanges(const std::vector<DragSorting::Change>& changes) {
    std::vector<std::string> parts;
    parts.reserve(changes.size());
    for (const auto& change : changes) {
        parts.push_back(fmt::format("{}：{}→{}", change.app.bundleID(), core::rawValue(change.from),
                                    core::rawValue(change.to)));
    }
    return fmt::format("{}", fmt::join(parts, ","));
}

// The drop point's x without its fraction, as the log line gives it.
long long wholePoints(double x) {
    return std::isfinite(x) ? static_cast<long long>(std::trunc(x)) : 0;
}

} // namespace

bool Coordinator::canSortByDrag() const {
    return isShowingState(effectiveState()) && temporaryReveals.empty() && temporaryLifts.empty();
}

void Coordinator::updateDragWatch() {
    if (!dragWatcher) {
        return;
    }
    if (dragSortEnabled && !isShutDown && isShowingState(effectiveState())) {
        if (isDragWatchRunning) {
            return;
        }
        isDragWatchRunning = true;
        std::weak_ptr<Coordinator> weak = weak_from_this();
        dragWatcher->start([weak](const system::MenuBarDragEvent& event) {
            if (auto self = weak.lock()) {
                self->menuBarDragged(event);
            }
        });
        return;
    }
    if (isDragWatchRunning) {
        isDragWatchRunning = false;
        dragWatcher->stop();
    }
}

void Coordinator::menuBarDragged(const system::MenuBarDragEvent& event) {
    if (!dragSortEnabled || isShutDown) {
        return;
    }
    const auto& log = core::Log::app();
    // The press's item; when the press hit none but was on the bar, the release's.
    const auto grab = DragSorting::resolve(event.start, event.end, event.startInMenuBar, selfBundleID);
    if (!grab) {
        log.info("⌘ドラッグを見ましたが、動かしたのはアプリのアイコンではないか、決められません（区画は変えま"
                 "せん）");
        return;
    }
    if (!canSortByDrag()) {
        log.info("⌘ドラッグを見ましたが、いまは区画を変えません（状態 {}）",
                 core::rawValue(effectiveState()));
        return;
    }

    const int generation = ++dragGeneration;
    // The applications a moved item is compared with are those of the menu-bar
    // agent (the chevron that tells a fold) and the control item; dragging the
    // divider re-sides everything, so everything is read.
    std::optional<std::set<std::string>> owners;
    if (const auto* app = grab->appKey()) {
        owners = std::set<std::string>{app->bundleID(), selfBundleID,
                                       std::string(core::UserSwitcherStandIn::ownerBundleID)};
    }
    dragTask.cancel();
    dragTask = concurrency::spawn(executor,
                                  readAfterDrag(weak_from_this(), reader, generation, *grab,
                                                std::move(owners), requestedPlan, event.to),
                                  "drag read");
}

concurrency::Task<void> Coordinator::readAfterDrag(std::weak_ptr<Coordinator> weak,
                                                   std::shared_ptr<system::ItemReading> reader,
                                                   int generation, DragSorting::Grab grab,
                                                   std::optional<std::set<std::string>> owners,
                                                   std::optional<core::VisibilityPlan> planBefore,
                                                   core::Point drop) {
    system::ItemReading::Result result = system::ItemReading::Result::timeout();
    if (owners) {
        auto read = co_await reader->readItems(std::move(*owners));
        result = std::move(read);
    } else {
        auto read = co_await reader->readItems();
        result = std::move(read);
    }
    auto self = weak.lock();
    // A newer drag's read supersedes this one.
    if (!self || concurrency::isCancelled() || self->dragGeneration != generation) {
        co_return;
    }
    self->dragTask = {};
    self->finishDragSort(grab, result, planBefore, drop);
}

void Coordinator::finishDragSort(const DragSorting::Grab& grab, const system::ItemReading::Result& result,
                                 const std::optional<core::VisibilityPlan>& planBefore, core::Point drop) {
    if (!dragSortEnabled || isShutDown) {
        return;
    }
    const auto& log = core::Log::app();
    // Positions read under another plan, or while something was revealed for a
    // press, do not say where the user put the item.
    if (!canSortByDrag() || requestedPlan != planBefore) {
        log.info("⌘ドラッグのあと、読んでいる間に見え方が変わりました（区画は変えません）");
        return;
    }
    const auto read = result.value();
    if (!read) {
        log.info("⌘ドラッグのあと、位置を読めませんでした（区画は変えません）");
        return;
    }

    std::optional<std::set<core::AppKey>> visible;
    if (requestedPlan) {
        if (const auto* allowed = requestedPlan->allowedBundleIDs()) {
            visible.emplace();
            for (const auto& bundleID : *allowed) {
                visible->insert(core::AppKey(bundleID));
            }
        }
    }
    const core::Profile current = profile;
    const DragSorting::Outcome outcome =
        DragSorting::changes(grab, *read, current, selfBundleID, visible, drop);
    switch (outcome.kind()) {
    case DragSorting::Outcome::Kind::noDivider:
        log.info("⌘ドラッグのあと、操作口の位置を読めませんでした（区画は変えません）");
        return;
    case DragSorting::Outcome::Kind::noItem:
        log.info("⌘ドラッグのあと、動かしたアイコンの位置を読めませんでした（区画は変えません）");
        return;
    case DragSorting::Outcome::Kind::straddles:
        log.info("⌘ドラッグのあと、同じアプリのアイコンが操作口の両側にあります（区画は変えません）");
        return;
    case DragSorting::Outcome::Kind::folded:
        log.info("⌘ドラッグのあと、アイコンが「≪」の後ろに畳まれているようです（区画は変えません）");
        return;
    case DragSorting::Outcome::Kind::notAtDrop:
        log.info("⌘ドラッグのあと、動かしたアイコンが置いた所（x={}）の近くにありません（区画は変えません）",
                 wholePoints(drop.x));
        return;
    case DragSorting::Outcome::Kind::changes:
        break;
    }
    const auto& changes = outcome.changeList();
    if (changes.empty()) {
        log.info("⌘ドラッグのあと、区画はもう合っています");
        return;
    }

    core::Profile changed = current;
    for (const auto& change : changes) {
        // An Apple application is refused here; the planner never lists one.
        (void)changed.assign(change.app, change.to);
    }
    // Stored directly: the order waiting for the layout folder stays waiting.
    profile = changed;
    log.info("⌘ドラッグで区画を変えました（{}）", describeChanges(changes));
    if (onProfileChange) {
        onProfileChange(changed);
    }
    enforce();
}

} // namespace pellacor::coordinator
