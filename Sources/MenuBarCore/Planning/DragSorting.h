#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Model/Section.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::core {

// Turns a Command-drag in the real menu bar into section changes. The control
// item is the divider: applications whose items end up right of it are shown,
// those left of it hidden. Dragging the divider itself re-sorts every application
// on the bar. Pure: no state, no clock, no system calls.
class DragSorting {
public:
    DragSorting() = delete;

    // The accessibility identifier of the control item, by which the divider is recognised.
    static constexpr std::string_view dividerIdentifier = "trv-control";
    // How far (horizontally, in points) the dragged item may lie from the drop point.
    static constexpr double dropSlack = 48.0;

    // What a mouse event hit in the menu bar: a status item (its owner's bundle
    // identifier and its usable accessibility identifier, if any) or nothing.
    class Hit {
    public:
        struct Item {
            std::string owner;
            std::optional<std::string> identifier;
            bool operator==(const Item&) const = default;
        };

        static Hit item(std::string owner, std::optional<std::string> identifier) {
            return Hit(Item{std::move(owner), std::move(identifier)});
        }
        static Hit none() { return Hit(None{}); }

        bool isNone() const { return std::holds_alternative<None>(content_); }
        // The item hit; null for `none`.
        const Item* asItem() const { return std::get_if<Item>(&content_); }

        bool operator==(const Hit&) const = default;

        // "none" or "item(owner, identifier)", for logs.
        std::string description() const;

    private:
        struct None {
            bool operator==(const None&) const = default;
        };

        explicit Hit(std::variant<Item, None> content) : content_(std::move(content)) {}

        std::variant<Item, None> content_;
    };

    // What a drag picked up: an application's item, or the divider.
    class Grab {
    public:
        static Grab app(AppKey key) { return Grab(std::move(key)); }
        static Grab divider() { return Grab(Divider{}); }

        // The grabbed application; null for the divider.
        const AppKey* appKey() const { return std::get_if<AppKey>(&content_); }

        bool operator==(const Grab&) const = default;

        // "divider" or "app(bundle identifier)", for logs.
        std::string description() const;

    private:
        struct Divider {
            bool operator==(const Divider&) const = default;
        };

        explicit Grab(std::variant<AppKey, Divider> content) : content_(std::move(content)) {}

        std::variant<AppKey, Divider> content_;
    };

    // One section change to apply to the active profile.
    struct Change {
        AppKey app;
        Section from;
        Section to;
        bool operator==(const Change&) const = default;
    };

    // The result of `changes`: the changes to apply (possibly none), or why the
    // drag cannot be read.
    class Outcome {
    public:
        enum class Kind {
            changes,   // apply `changeList()`; empty means the sections already match
            noDivider, // the divider is missing or has no usable frame
            noItem,    // the grabbed application has no item with a usable frame
            straddles, // the grabbed application's items lie on both sides of the divider
            folded,    // items overlap: the bar has folded some behind its overflow chevron
            notAtDrop, // the item the drag should have moved is not near the drop point
        };

        static Outcome changes(std::vector<Change> list) { return Outcome(Kind::changes, std::move(list)); }
        static Outcome noDivider() { return Outcome(Kind::noDivider, {}); }
        static Outcome noItem() { return Outcome(Kind::noItem, {}); }
        static Outcome straddles() { return Outcome(Kind::straddles, {}); }
        static Outcome folded() { return Outcome(Kind::folded, {}); }
        static Outcome notAtDrop() { return Outcome(Kind::notAtDrop, {}); }

        Kind kind() const { return kind_; }
        // The changes to apply; always empty for a refusal.
        const std::vector<Change>& changeList() const { return changeList_; }

        bool operator==(const Outcome&) const = default;

        // "noDivider", … or "changes(com.example.a: hidden → shown, …)", for logs.
        std::string description() const;

    private:
        Outcome(Kind kind, std::vector<Change> list) : kind_(kind), changeList_(std::move(list)) {}

        Kind kind_;
        std::vector<Change> changeList_;
    };

    // The side of the divider an item is on.
    enum class Side { left, right };

    // The grab a hit stands for: the divider for the control item; an application
    // for any other item of a non-Apple application; nothing for no item, an
    // owner-less item, Apple items and the program's other items.
    static std::optional<Grab> grab(const Hit& hit, std::string_view selfBundleID);

    // The grab of a whole drag: by the press's hit when it hit an item; by the
    // release's hit when the press hit no item but was on the menu bar; nothing
    // when the press hit no item off the menu bar.
    static std::optional<Grab> resolve(const Hit& start, const Hit& end, bool startInMenuBar,
                                       std::string_view selfBundleID);

    // The section changes after the drag, read from a fresh read of the bar.
    // `visible` holds the applications the visibility plan allowed when the drag
    // began (absent when nothing was restricted); `drop` is the pointer at the
    // release (absent when unknown, which skips the distance test).
    static Outcome changes(const Grab& grab, const std::vector<ItemSnapshot>& items, const Profile& profile,
                           std::string_view selfBundleID, const std::optional<std::set<AppKey>>& visible,
                           std::optional<Point> drop);

    // The one side of the divider on which every frame lies (a frame centred on
    // the divider is left of it); absent for no frames or both sides.
    static std::optional<Side> side(const std::vector<Rect>& of, const Rect& divider);

    // Whether some frame lies within `dropSlack` of the point, measured along x only.
    static bool isNear(Point point, const std::vector<Rect>& frames);

    // The indexes (into `items`) of the items that overlap another item once both
    // are narrowed by 4 points on each side. Only items with a usable frame that
    // are Apple's, the program's own or of an application in `visible` take part;
    // all of them when `visible` is absent.
    static std::set<std::size_t> overlapping(const std::vector<ItemSnapshot>& items,
                                             std::string_view selfBundleID,
                                             const std::optional<std::set<AppKey>>& visible);

    // The section an application lands in on a side: right shows it; left hides
    // it, keeping an always-hidden application always hidden.
    static Section section(Side side, Section current);

private:
    // The change that moves the application to the side; absent when it is there already.
    static std::optional<Change> change(const AppKey& app, Side side, const Profile& profile);
};

} // namespace pellacor::core
