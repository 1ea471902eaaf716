#include "MenuBarCore/Planning/NotchPlanner.h"

#include "MenuBarCore/Model/Section.h"

#include <algorithm>
#include <fmt/format.h>
#include <limits>

namespace pellacor::core {

namespace {

// A recorded width never goes below this, and an application without an item counts as this wide.
constexpr double minimumWidth = 24.0;
constexpr double chevronMinWidth = 12.0;
constexpr double chevronMaxWidth = 24.0;

bool hasUsableFrame(const ItemSnapshot& item) {
    return item.frame().has_value() && !item.frame()->isEmpty();
}

bool contains(const std::vector<AppKey>& list, const AppKey& app) {
    return std::find(list.begin(), list.end(), app) != list.end();
}

bool ownedByChevronOwner(const ItemSnapshot& item) {
    return item.ownerBundleID() == NotchPlanner::chevronOwner;
}

using State = NotchPlanner::State;
using Input = NotchPlanner::Input;

// Off, or no notch: everything comes back (a change only when something was taken off).
State lettingEverythingBack(const State& state, NotchPlanner::Date now) {
    if (state.overflow.empty()) {
        return state;
    }
    State reset;
    reset.changedAt = now;
    return reset;
}

// Nothing moves while the bar is revealed or within the hold after a change.
bool isWaiting(const State& state, const Input& input) {
    return !input.collapsed || (state.changedAt && input.now - *state.changedAt < NotchPlanner::hold);
}

// The running applications; when not known, the owners of the items read.
std::set<AppKey> runningApps(const Input& input) {
    if (input.running) {
        return *input.running;
    }
    std::set<AppKey> running;
    for (const auto& item : input.items) {
        running.insert(item.owner());
    }
    return running;
}

// The state without applications that are no longer shown or running, and
// without restore times older than the refold window.
State cleanedUp(const State& state, const Input& input, const std::set<AppKey>& running) {
    State working = state;
    std::erase_if(working.overflow, [&](const AppKey& app) {
        return input.profile.section(app) != Section::shown || !running.contains(app);
    });
    std::erase_if(working.sticky, [&](const AppKey& app) { return !contains(working.overflow, app); });
    std::erase_if(working.widths,
                  [&](const auto& entry) { return !contains(working.overflow, entry.first); });
    std::erase_if(working.restoredAt, [&](const auto& entry) {
        return !(input.now - entry.second < NotchPlanner::refoldWindow);
    });
    return working;
}

// The items on the bar (Apple's, the program's and those of visible
// applications, with a usable frame), in the reader's order.
std::vector<ItemSnapshot> itemsOnBar(const Input& input) {
    std::vector<ItemSnapshot> onBar;
    for (const auto& item : input.items) {
        if (hasUsableFrame(item) && (item.isApple() || item.ownerBundleID() == input.selfBundleID ||
                                     input.visible.contains(item.owner()))) {
            onBar.push_back(item);
        }
    }
    return onBar;
}

// Room may have come back: only the most recently taken application is
// examined, and put back when its recorded width plus the margin fits between
// the notch and the leftmost item. Whether it was.
bool putBackLast(State& working, const std::vector<ItemSnapshot>& onBar, double notchRight,
                 NotchPlanner::Date now) {
    if (working.overflow.empty() || working.sticky.contains(working.overflow.back())) {
        return false;
    }
    std::optional<double> leftmost;
    for (const auto& item : onBar) {
        if (!ownedByChevronOwner(item)) {
            double left = item.frame()->minX();
            leftmost = leftmost ? std::min(*leftmost, left) : left;
        }
    }
    if (!leftmost) {
        return false;
    }
    const double room = *leftmost - notchRight;
    const AppKey last = working.overflow.back();
    auto recorded = working.widths.find(last);
    const double needed =
        recorded == working.widths.end() ? std::numeric_limits<double>::infinity() : recorded->second;
    if (needed + NotchPlanner::restoreMargin > room) {
        return false;
    }
    working.overflow.pop_back();
    working.widths.erase(last);
    working.restoredAt.insert_or_assign(last, now);
    working.changedAt = now;
    return true;
}

// The application to take off: one near the notch or under the chevron; else
// a shown application that should be on the bar but has no item there; else
// the one with the leftmost item. Only shown applications not yet taken off,
// neither Apple's nor the program's.
std::optional<AppKey> toTakeOff(const State& working, const Input& input,
                                const std::vector<ItemSnapshot>& onBar, const Rect& chevronFrame,
                                double notchRight) {
    auto eligible = [&](const ItemSnapshot& item) {
        return !item.isApple() && item.ownerBundleID() != input.selfBundleID &&
               !item.ownerBundleID().empty() && input.profile.section(item.owner()) == Section::shown &&
               !contains(working.overflow, item.owner());
    };
    const Rect widened = chevronFrame.insetBy(-1, 0);
    for (const auto& item : onBar) {
        if (ownedByChevronOwner(item)) {
            continue;
        }
        const Rect& frame = *item.frame();
        if ((frame.midX() < notchRight || frame.intersects(widened)) && eligible(item)) {
            return item.owner();
        }
    }
    auto absent = NotchPlanner::absentShown(input, working.overflow);
    if (!absent.empty()) {
        return absent.front();
    }
    const ItemSnapshot* leftmost = nullptr;
    for (const auto& item : onBar) {
        if (eligible(item) && (leftmost == nullptr || item.frame()->minX() < leftmost->frame()->minX())) {
            leftmost = &item;
        }
    }
    if (leftmost != nullptr) {
        return leftmost->owner();
    }
    return std::nullopt;
}

// Takes the application off with its width; taken off again within the refold
// window after being put back (as the state before the step recorded it), it
// stays off for good.
void takeOff(State& working, const State& before, const AppKey& app, double width, NotchPlanner::Date now) {
    working.overflow.push_back(app);
    working.widths.insert_or_assign(app, width);
    auto restored = before.restoredAt.find(app);
    if (restored != before.restoredAt.end() && now - restored->second < NotchPlanner::refoldWindow) {
        working.sticky.insert(app);
    }
    working.changedAt = now;
}

} // namespace

std::string NotchPlanner::ActiveScreen::description() const {
    switch (kind_) {
    case Kind::notch:
        return fmt::format("notch(right: {})", right_);
    case Kind::unknown:
        return "unknown";
    case Kind::plain:
        return "plain";
    }
    return "unknown";
}

NotchPlanner::ActiveScreen NotchPlanner::activeScreen(const std::vector<ItemSnapshot>& items,
                                                      const std::vector<Screen>& screens,
                                                      std::string_view selfBundleID) {
    // Only items that are on the bar in every state tell where the bar is.
    std::vector<int> counts(screens.size(), 0);
    for (const auto& item : items) {
        if (!(item.isApple() || item.ownerBundleID() == selfBundleID) || !hasUsableFrame(item)) {
            continue;
        }
        Point mid{item.frame()->midX(), item.frame()->midY()};
        for (std::size_t i = 0; i < screens.size(); ++i) {
            if (screens[i].frame.contains(mid)) {
                ++counts[i];
                break;
            }
        }
    }
    auto highest = std::max_element(counts.begin(), counts.end());
    if (highest == counts.end() || *highest == 0 || std::count(counts.begin(), counts.end(), *highest) > 1) {
        return ActiveScreen::unknown();
    }
    const Screen& screen = screens[static_cast<std::size_t>(highest - counts.begin())];
    return screen.notchRight ? ActiveScreen::notch(*screen.notchRight) : ActiveScreen::plain();
}

std::optional<Rect> NotchPlanner::chevron(const std::vector<ItemSnapshot>& items) {
    const ItemSnapshot* candidate = nullptr;
    for (const auto& item : items) {
        // Strictly greater: on equal indices the earlier item stays the candidate.
        if (ownedByChevronOwner(item) &&
            (candidate == nullptr || item.indexInOwner() > candidate->indexInOwner())) {
            candidate = &item;
        }
    }
    if (candidate == nullptr || !hasUsableFrame(*candidate)) {
        return std::nullopt;
    }
    const Rect& frame = *candidate->frame();
    if (frame.width() < chevronMinWidth || frame.width() > chevronMaxWidth) {
        return std::nullopt;
    }
    // The chevron is the leftmost of the system agent's items; anything of the agent
    // at or left of it means the candidate is some other item.
    for (const auto& item : items) {
        if (ownedByChevronOwner(item) && item.indexInOwner() != candidate->indexInOwner() &&
            hasUsableFrame(item) && item.frame()->minX() <= frame.minX()) {
            return std::nullopt;
        }
    }
    return frame;
}

double NotchPlanner::width(const AppKey& app, const std::vector<ItemSnapshot>& items) {
    double sum = 0;
    for (const auto& item : items) {
        if (item.ownerBundleID() == app.bundleID() && item.frame()) {
            sum += item.frame()->width();
        }
    }
    return std::max(sum, minimumWidth);
}

std::vector<AppKey> NotchPlanner::absentShown(const Input& input, const std::vector<AppKey>& excluding) {
    if (!input.running) {
        return {};
    }
    std::set<std::string_view> owners;
    for (const auto& item : input.items) {
        owners.insert(item.ownerBundleID());
    }
    std::vector<AppKey> result;
    for (const auto& app : *input.running) {
        const std::string& id = app.bundleID();
        if (owners.contains(id) || !input.visible.contains(app) || contains(excluding, app) ||
            id == input.selfBundleID || id.empty() || id.starts_with("com.apple.") ||
            input.profile.section(app) != Section::shown) {
            continue;
        }
        result.push_back(app);
    }
    auto position = [&](const AppKey& app) {
        auto place = std::find(input.profile.order.begin(), input.profile.order.end(), app);
        return static_cast<std::size_t>(place - input.profile.order.begin());
    };
    // Not in the order sorts after everything in it; ties by bundle identifier.
    std::stable_sort(result.begin(), result.end(), [&](const AppKey& a, const AppKey& b) {
        auto pa = position(a);
        auto pb = position(b);
        return pa != pb ? pa < pb : a < b;
    });
    return result;
}

NotchPlanner::State NotchPlanner::step(const State& state, const Input& input) {
    if (!input.enabled || !input.notchRight) {
        return lettingEverythingBack(state, input.now);
    }
    if (isWaiting(state, input)) {
        return state;
    }
    State working = cleanedUp(state, input, runningApps(input));
    const std::vector<ItemSnapshot> onBar = itemsOnBar(input);
    if (auto chevronFrame = chevron(input.items)) {
        // Something is under the chevron: take one application off.
        if (auto chosen = toTakeOff(working, input, onBar, *chevronFrame, *input.notchRight)) {
            takeOff(working, state, *chosen, width(*chosen, onBar), input.now);
            return working;
        }
    } else if (putBackLast(working, onBar, *input.notchRight, input.now)) {
        return working;
    }
    // Only the clean-up may have changed something; only a changed overflow counts as a change.
    if (working.overflow != state.overflow) {
        working.changedAt = input.now;
    }
    return working;
}

} // namespace pellacor::core
