#include "MenuBarCore/Planning/DragSorting.h"

#include <map>

namespace pellacor::core {

namespace {

// A frame the bar really shows: present, with width and height.
bool isUsable(const std::optional<Rect>& frame) {
    return frame && !frame->isEmpty();
}

// How much of each side of a frame the overlap test ignores, so that neighbours
// whose frames the bar lets touch or graze are not taken for folded items.
constexpr double overlapInset = 4.0;

} // namespace

std::string DragSorting::Hit::description() const {
    const auto* item = asItem();
    if (item == nullptr) {
        return "none";
    }
    return "item(" + item->owner + ", " + item->identifier.value_or("-") + ")";
}

std::string DragSorting::Grab::description() const {
    const auto* key = appKey();
    return key == nullptr ? "divider" : "app(" + key->bundleID() + ")";
}

std::string DragSorting::Outcome::description() const {
    switch (kind_) {
    case Kind::noDivider:
        return "noDivider";
    case Kind::noItem:
        return "noItem";
    case Kind::straddles:
        return "straddles";
    case Kind::folded:
        return "folded";
    case Kind::notAtDrop:
        return "notAtDrop";
    case Kind::changes:
        break;
    }
    std::string text = "changes(";
    for (std::size_t i = 0; i < changeList_.size(); ++i) {
        const auto& change = changeList_[i];
        if (i > 0) {
            text += ", ";
        }
        text += change.app.bundleID() + ": " + std::string(rawValue(change.from)) + " → " +
                std::string(rawValue(change.to));
    }
    text += ")";
    return text;
}

std::optional<DragSorting::Grab> DragSorting::grab(const Hit& hit, std::string_view selfBundleID) {
    const auto* item = hit.asItem();
    if (item == nullptr || item->owner.empty()) {
        return std::nullopt;
    }
    if (item->owner == selfBundleID) {
        // The program's other items (the user-switcher stand-in) have no section.
        if (item->identifier == dividerIdentifier) {
            return Grab::divider();
        }
        return std::nullopt;
    }
    if (AppKey::isAppleBundleID(item->owner)) {
        return std::nullopt;
    }
    return Grab::app(AppKey(item->owner));
}

std::optional<DragSorting::Grab> DragSorting::resolve(const Hit& start, const Hit& end, bool startInMenuBar,
                                                      std::string_view selfBundleID) {
    if (!start.isNone()) {
        return grab(start, selfBundleID);
    }
    // Reading what lay under the press can fail; as long as the press was on the
    // bar, what the release landed on stands in for it.
    if (startInMenuBar) {
        return grab(end, selfBundleID);
    }
    return std::nullopt;
}

Section DragSorting::section(Side side, Section current) {
    if (side == Side::right) {
        return Section::shown;
    }
    return current == Section::alwaysHidden ? Section::alwaysHidden : Section::hidden;
}

std::optional<DragSorting::Change> DragSorting::change(const AppKey& app, Side side, const Profile& profile) {
    const Section current = profile.section(app);
    const Section target = section(side, current);
    if (target == current) {
        return std::nullopt;
    }
    return Change{app, current, target};
}

std::optional<DragSorting::Side> DragSorting::side(const std::vector<Rect>& of, const Rect& divider) {
    const double dividerMid = divider.midX();
    bool anyLeft = false;
    bool anyRight = false;
    for (const auto& frame : of) {
        if (dividerMid < frame.midX()) {
            anyRight = true;
        } else {
            anyLeft = true;
        }
    }
    if (anyLeft == anyRight) {
        return std::nullopt;
    }
    return anyRight ? Side::right : Side::left;
}

bool DragSorting::isNear(Point point, const std::vector<Rect>& frames) {
    const double x = point.x;
    for (const auto& frame : frames) {
        double distance = 0;
        if (x <= frame.minX()) {
            distance = frame.minX() - x;
        } else if (x < frame.maxX()) {
            distance = 0;
        } else {
            distance = x - frame.maxX();
        }
        if (distance <= dropSlack) {
            return true;
        }
    }
    return false;
}

std::set<std::size_t> DragSorting::overlapping(const std::vector<ItemSnapshot>& items,
                                               std::string_view selfBundleID,
                                               const std::optional<std::set<AppKey>>& visible) {
    struct Part {
        std::size_t index;
        Rect frame;
    };
    std::vector<Part> parts;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        if (!isUsable(item.frame())) {
            continue;
        }
        const bool takesPart = !visible || item.isApple() || item.ownerBundleID() == selfBundleID ||
                               visible->contains(item.owner());
        if (takesPart) {
            parts.push_back({i, item.frame()->insetBy(overlapInset, 0)});
        }
    }
    std::set<std::size_t> result;
    for (std::size_t a = 0; a < parts.size(); ++a) {
        for (std::size_t b = a + 1; b < parts.size(); ++b) {
            if (parts[a].frame.intersects(parts[b].frame)) {
                result.insert(parts[a].index);
                result.insert(parts[b].index);
            }
        }
    }
    return result;
}

DragSorting::Outcome DragSorting::changes(const Grab& grab, const std::vector<ItemSnapshot>& items,
                                          const Profile& profile, std::string_view selfBundleID,
                                          const std::optional<std::set<AppKey>>& visible,
                                          std::optional<Point> drop) {
    std::optional<std::size_t> dividerIndex;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].ownerBundleID() == selfBundleID && items[i].axIdentifier() == dividerIdentifier) {
            dividerIndex = i;
            break;
        }
    }
    if (!dividerIndex || !isUsable(items[*dividerIndex].frame())) {
        return Outcome::noDivider();
    }
    const Rect dividerFrame = *items[*dividerIndex].frame();

    const auto overlaps = overlapping(items, selfBundleID, visible);
    if (overlaps.contains(*dividerIndex)) {
        return Outcome::folded();
    }

    if (const auto* key = grab.appKey()) {
        if (key->isApple() || key->bundleID() == selfBundleID) {
            return Outcome::changes({});
        }
        std::vector<std::size_t> own;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].ownerBundleID() == key->bundleID() && isUsable(items[i].frame())) {
                own.push_back(i);
            }
        }
        if (own.empty()) {
            return Outcome::noItem();
        }
        std::vector<Rect> frames;
        for (auto i : own) {
            if (overlaps.contains(i)) {
                return Outcome::folded();
            }
            frames.push_back(*items[i].frame());
        }
        if (drop && !isNear(*drop, frames)) {
            return Outcome::notAtDrop();
        }
        const auto where = side(frames, dividerFrame);
        if (!where) {
            return Outcome::straddles();
        }
        if (auto moved = change(*key, *where, profile)) {
            return Outcome::changes({*moved});
        }
        return Outcome::changes({});
    }

    // The divider itself was dragged: every application on the bar is re-sorted.
    if (drop && !isNear(*drop, {dividerFrame})) {
        return Outcome::notAtDrop();
    }
    std::map<AppKey, std::vector<Rect>> framesByApp; // ordered by bundle identifier
    std::set<AppKey> folded;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        if (item.isApple() || item.ownerBundleID() == selfBundleID || !isUsable(item.frame())) {
            continue;
        }
        auto app = item.owner();
        if (overlaps.contains(i)) {
            folded.insert(std::move(app));
            continue;
        }
        if (!visible || visible->contains(app)) {
            framesByApp[std::move(app)].push_back(*item.frame());
        }
    }
    std::vector<Change> list;
    for (const auto& [app, frames] : framesByApp) {
        // An application with one item folded away cannot be placed for certain.
        if (folded.contains(app)) {
            continue;
        }
        const auto where = side(frames, dividerFrame);
        if (!where) {
            continue;
        }
        if (auto moved = change(app, *where, profile)) {
            list.push_back(*moved);
        }
    }
    return Outcome::changes(std::move(list));
}

} // namespace pellacor::core
