#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/ItemSnapshot.h"
#include "MenuBarCore/Model/Profile.h"

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// Keeps the system's overflow chevron from swallowing status items on a screen
// with a notch: while the chevron is there, shown applications are taken off the
// bar one at a time; once there is room again they are put back one at a time,
// the most recently taken first. Pure functions over values: the caller keeps the
// `State` between steps and passes the time in.
class NotchPlanner {
public:
    using Date = std::chrono::system_clock::time_point;
    using Seconds = std::chrono::duration<double>;

    NotchPlanner() = delete;

    // Owner of the system's chevron item.
    static constexpr std::string_view chevronOwner = "com.apple.MenuBarAgent";
    // A step changes nothing until this long after the last change.
    static constexpr Seconds hold{2.0};
    // Room needed beyond an application's recorded width before it is put back.
    static constexpr double restoreMargin = 24.0;
    // Taken off again within this time after being put back makes an application
    // sticky; restore times older than this are forgotten.
    static constexpr Seconds refoldWindow{60.0};

    struct State {
        // Taken off for the notch, in the order they were taken off (last = most recent).
        std::vector<AppKey> overflow;
        // The width recorded for each application of `overflow` when it was taken off.
        std::map<AppKey, double> widths;
        // When a step last changed the state (or reset it).
        std::optional<Date> changedAt;
        // When each application was last put back.
        std::map<AppKey, Date> restoredAt;
        // Applications of `overflow` that will not be put back.
        std::set<AppKey> sticky;

        std::set<AppKey> hidden() const { return {overflow.begin(), overflow.end()}; }

        bool operator==(const State&) const = default;
    };

    struct Input {
        // Every status item just read, in the reader's order.
        std::vector<ItemSnapshot> items;
        // The active profile: its sections, new-item section and order are read.
        Profile profile;
        // The applications the current restriction lets show on the bar.
        std::set<AppKey> visible;
        std::string selfBundleID;
        // Right edge of the notch on the screen that holds the bar; absent without one.
        std::optional<double> notchRight;
        // The bar is collapsed (nothing revealed).
        bool collapsed = false;
        bool enabled = false;
        Date now;
        // The running applications; absent when not known.
        std::optional<std::set<AppKey>> running;
    };

    struct Screen {
        // In the coordinates of the item frames.
        Rect frame;
        // Right edge of the notch; absent on a screen without one.
        std::optional<double> notchRight;

        bool operator==(const Screen&) const = default;
    };

    // Which screen holds the bar, and whether it has a notch.
    class ActiveScreen {
    public:
        enum class Kind { notch, unknown, plain };

        static ActiveScreen notch(double right) { return ActiveScreen(Kind::notch, right); }
        static ActiveScreen unknown() { return ActiveScreen(Kind::unknown, 0); }
        static ActiveScreen plain() { return ActiveScreen(Kind::plain, 0); }

        Kind kind() const { return kind_; }
        // The notch's right edge for `notch`; absent otherwise.
        std::optional<double> notchRight() const {
            return kind_ == Kind::notch ? std::optional<double>(right_) : std::nullopt;
        }

        bool operator==(const ActiveScreen&) const = default;
        // "notch(right: 700)", "unknown", "plain".
        std::string description() const;

    private:
        ActiveScreen(Kind kind, double right) : kind_(kind), right_(right) {}
        Kind kind_;
        double right_;
    };

    // The screen that holds most of the items of Apple and of the program itself;
    // `unknown` when no screen holds any, or when two screens tie.
    static ActiveScreen activeScreen(const std::vector<ItemSnapshot>& items,
                                     const std::vector<Screen>& screens, std::string_view selfBundleID);

    // The chevron's frame: the system agent's item with the greatest index, when it
    // is chevron-sized and the leftmost of the agent's items.
    static std::optional<Rect> chevron(const std::vector<ItemSnapshot>& items);

    // One step: at most one application taken off or put back, paced by `hold`.
    static State step(const State& state, const Input& input);

    // Running, visible, shown applications that have no item in the bar, ordered by
    // the profile's order, then by bundle identifier.
    static std::vector<AppKey> absentShown(const Input& input, const std::vector<AppKey>& excluding);

private:
    // The width of the application's items, never less than 24 points.
    static double width(const AppKey& app, const std::vector<ItemSnapshot>& items);
};

} // namespace pellacor::core
