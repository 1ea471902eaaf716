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
    const Date now = input.now;

    // 1. Off, or no notch: let everything back.
    if (!input.enabled || !input.notchRight) {
        if (state.overflow.empty()) {
            return state;
        }
        State reset;
        reset.changedAt = now;
        return reset;
    }
    const double notchRight = *input.notchRight;

    // 2. Waiting: nothing moves while revealed or within the hold after a change.
    if (!input.collapsed || (state.changedAt && now - *state.changedAt < hold)) {
        return state;
    }

    // 3. The running set.
    std::set<AppKey> running;
    if (input.running) {
        running = *input.running;
    } else {
        for (const auto& item : input.items) {
            running.insert(item.owner());
        }
    }

    // 4. Clean-up of a working copy.
    State working = state;
    std::erase_if(working.overflow, [&](const AppKey& app) {
        return input.profile.section(app) != Section::shown || !running.contains(app);
    });
    std::erase_if(working.sticky, [&](const AppKey& app) { return !contains(working.overflow, app); });
    std::erase_if(working.widths,
                  [&](const auto& entry) { return !contains(working.overflow, entry.first); });
    std::erase_if(working.restoredAt,
                  [&](const auto& entry) { return !(now - entry.second < refoldWindow); });

    // 5. The items on the bar, in the reader's order.
    std::vector<ItemSnapshot> onBar;
    for (const auto& item : input.items) {
        if (hasUsableFrame(item) && (item.isApple() || item.ownerBundleID() == input.selfBundleID ||
                                     input.visible.contains(item.owner()))) {
            onBar.push_back(item);
        }
    }

    // 6.
    std::optional<Rect> chevronFrame = chevron(input.items);

    if (!chevronFrame) {
        // 7. Room may have come back: examine only the most recently taken application.
        if (!working.overflow.empty() && !working.sticky.contains(working.overflow.back())) {
            std::optional<double> leftmost;
            for (const auto& item : onBar) {
                if (!ownedByChevronOwner(item)) {
                    double left = item.frame()->minX();
                    leftmost = leftmost ? std::min(*leftmost, left) : left;
                }
            }
            if (leftmost) {
                double room = *leftmost - notchRight;
                const AppKey last = working.overflow.back();
                auto recorded = working.widths.find(last);
                double needed = recorded == working.widths.end() ? std::numeric_limits<double>::infinity()
                                                                 : recorded->second;
                if (needed + restoreMargin <= room) {
                    working.overflow.pop_back();
                    working.widths.erase(last);
                    working.restoredAt.insert_or_assign(last, now);
                    working.changedAt = now;
                    return working;
                }
            }
        }
    } else {
        // 8. Something is under the chevron: take one application off.
        auto eligible = [&](const ItemSnapshot& item) {
            return !item.isApple() && item.ownerBundleID() != input.selfBundleID &&
                   !item.ownerBundleID().empty() && input.profile.section(item.owner()) == Section::shown &&
                   !contains(working.overflow, item.owner());
        };
        std::optional<AppKey> chosen;
        // a. Near the notch, or under the chevron.
        const Rect widened = chevronFrame->insetBy(-1, 0);
        for (const auto& item : onBar) {
            if (ownedByChevronOwner(item)) {
                continue;
            }
            const Rect& frame = *item.frame();
            if ((frame.midX() < notchRight || frame.intersects(widened)) && eligible(item)) {
                chosen = item.owner();
                break;
            }
        }
        // b. A shown application that should be on the bar but has no item there.
        if (!chosen) {
            auto absent = absentShown(input, working.overflow);
            if (!absent.empty()) {
                chosen = absent.front();
            }
        }
        // c. The leftmost eligible item.
        if (!chosen) {
            const ItemSnapshot* leftmost = nullptr;
            for (const auto& item : onBar) {
                if (eligible(item) &&
                    (leftmost == nullptr || item.frame()->minX() < leftmost->frame()->minX())) {
                    leftmost = &item;
                }
            }
            if (leftmost != nullptr) {
                chosen = leftmost->owner();
            }
        }
        if (chosen) {
            working.overflow.push_back(*chosen);
            working.widths.insert_or_assign(*chosen, width(*chosen, onBar));
            auto restored = state.restoredAt.find(*chosen);
            if (restored != state.restoredAt.end() && now - restored->second < refoldWindow) {
                working.sticky.insert(*chosen);
            }
            working.changedAt = now;
            return working;
        }
    }

    // 9. Only the clean-up may have changed something; only a changed overflow counts as a change.
    if (working.overflow != state.overflow) {
        working.changedAt = now;
    }
    return working;
}

} // namespace pellacor::core
