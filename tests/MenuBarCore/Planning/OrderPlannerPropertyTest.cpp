#include "MenuBarCore/Planning/OrderPlanner.h"
#include "Support/ModelPrinters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const std::string self = "app.trayvane.pellacor";
const std::string standIn = "UserSwitcherStandIn";

std::string key(const std::string& bundleID, const std::string& name) {
    return "status:" + bundleID + "::" + name;
}

// Draws from the generator directly, so that the cases are the same with every
// standard library.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : engine_(seed) {}
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(engine_() % n); }
    bool chance(std::size_t inN) { return below(inN) == 0; }
    // Either any position in [0, 20) or one on a coarse grid, where ties are common.
    double position(bool coarse) {
        double unit = static_cast<double>(engine_()) / 4294967296.0;
        return coarse ? std::floor(unit * 20) * 0.5 : unit * 20;
    }

private:
    std::mt19937 engine_;
};

struct World {
    LayoutTable table;
    Profile profile;
    std::vector<AppKey> apps;
    std::map<AppKey, int> iconCounts;
    std::set<AppKey> running;
    std::optional<std::string> followName;
    std::set<std::string> keepNames;
    std::optional<std::set<AppKey>> movable;
};

World makeWorld(std::uint32_t seed) {
    Draw draw(seed);
    const bool coarse = draw.chance(3);
    World world{.table = {},
                .profile = Profile(Uuid::random(), "ふだん", {}, {}, allSections[draw.below(3)]),
                .apps = {},
                .iconCounts = {},
                .running = {},
                .followName = std::nullopt,
                .keepNames = {},
                .movable = std::nullopt};

    const std::size_t appCount = draw.below(10);
    for (std::size_t i = 0; i < appCount; ++i) {
        AppKey app("com.vendor" + std::to_string(i) + ".app");
        world.apps.push_back(app);
        if (!draw.chance(4)) {
            world.profile.sections.emplace(app, allSections[draw.below(3)]);
        }
        const std::size_t keys = draw.below(4);
        for (std::size_t k = 0; k < keys; ++k) {
            world.table[key(app.bundleID(), "Item-" + std::to_string(k))] = draw.position(coarse);
        }
        if (!draw.chance(4)) {
            world.iconCounts.emplace(app, static_cast<int>(draw.below(4)));
        }
    }
    // A wanted order over some of the applications, sometimes with repeats.
    for (const auto& app : world.apps) {
        if (!draw.chance(3)) {
            world.profile.order.push_back(app);
        }
    }
    for (std::size_t i = world.profile.order.size(); i > 1; --i) {
        std::swap(world.profile.order[i - 1], world.profile.order[draw.below(i)]);
    }
    if (!world.apps.empty() && draw.chance(4)) {
        world.profile.order.push_back(world.apps[draw.below(world.apps.size())]);
    }

    // The program's own items: the control, sometimes a stray generated one, the follower.
    world.table[key(self, "Item-0")] = draw.position(coarse);
    if (draw.chance(5)) {
        world.table[key(self, "Item-4")] = draw.position(coarse);
    }
    if (!draw.chance(3)) {
        world.table[key(self, standIn)] = draw.position(coarse);
    }
    if (draw.chance(2)) {
        world.followName = standIn;
    } else {
        world.keepNames = {standIn};
    }

    // Apple's items, some of them running; keys that do not parse; positions that are no numbers.
    const std::size_t appleCount = draw.below(4);
    for (std::size_t i = 0; i < appleCount; ++i) {
        std::string bundleID = "com.apple.extra" + std::to_string(i);
        world.table[key(bundleID, "Item-0")] = draw.position(coarse);
        if (draw.chance(2)) {
            world.running.insert(AppKey(bundleID));
        }
    }
    if (draw.chance(3)) {
        world.table["status:::Item-0"] = draw.position(coarse);
        world.table["TrailingJunk"] = draw.position(coarse);
    }
    if (!world.apps.empty() && draw.chance(4)) {
        const double odd[] = {std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
        world.table[key(world.apps[draw.below(world.apps.size())].bundleID(), "Odd")] = odd[draw.below(3)];
    }
    if (draw.chance(4)) {
        std::set<AppKey> movable;
        for (const auto& app : world.apps) {
            if (draw.chance(2)) {
                movable.insert(app);
            }
        }
        world.movable = std::move(movable);
    }
    return world;
}

OrderPlanner::PlanResult planFor(const World& world, const LayoutTable& table) {
    auto newKeys = OrderPlanner::missingShownKeys(table, world.profile, self, world.iconCounts);
    auto appleKeys = OrderPlanner::appleKeysLeftOfControl(table, self, {standIn}, world.running);
    return OrderPlanner::plan(table, world.profile, self, world.keepNames, world.followName, world.movable,
                              newKeys, appleKeys);
}

std::string describe(const LayoutTable& table) {
    std::ostringstream text;
    for (const auto& [k, position] : table) {
        text << "  " << k << " = " << position << "\n";
    }
    return text.str();
}

bool isMovable(const World& world, const AppKey& app) {
    return !world.movable || world.movable->contains(app);
}

} // namespace

// Applying a plan to the table it was made from gives a bar in profile order,
// with the follower right next to the control item, that needs no further plan.
TEST(OrderPlannerPropertyTest, APlannedTableFollowsTheProfileAndIsStable) {
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        const World world = makeWorld(seed);
        SCOPED_TRACE("seed " + std::to_string(seed) + "\n" + describe(world.table));
        const auto newKeys =
            OrderPlanner::missingShownKeys(world.table, world.profile, self, world.iconCounts);
        const auto appleKeys =
            OrderPlanner::appleKeysLeftOfControl(world.table, self, {standIn}, world.running);

        auto planned = planFor(world, world.table);
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(planned));
        const auto& changes = std::get<LayoutTable>(planned);
        LayoutTable applied = world.table;
        const std::string followerKey = key(self, standIn);
        for (const auto& [k, position] : changes) {
            // Only finite positions, only for keys that were there with a finite
            // position, new keys and the follower.
            ASSERT_TRUE(std::isfinite(position)) << k;
            auto before = world.table.find(k);
            const bool wasUsable = before != world.table.end() && std::isfinite(before->second);
            const bool isNew = std::find(newKeys.begin(), newKeys.end(), k) != newKeys.end();
            EXPECT_TRUE(wasUsable || isNew || k == followerKey) << k;
            applied[k] = position;
        }

        const std::string control = *OrderPlanner::controlKey(applied, self, world.keepNames);
        ASSERT_EQ(control, key(self, "Item-0"));
        EXPECT_FALSE(changes.contains(control));
        const double c = applied.at(control);

        // Every movable application sits on its section's side of the control item;
        // the Apple items that were moved sit right of the shown ones.
        double rightmostShown = c;
        for (const auto& [k, position] : applied) {
            auto parsed = OrderPlanner::parse(k);
            if (!parsed || !std::isfinite(position) || parsed->bundleID == self ||
                AppKey::isAppleBundleID(parsed->bundleID) || !isMovable(world, AppKey(parsed->bundleID))) {
                continue;
            }
            if (world.profile.section(AppKey(parsed->bundleID)) == Section::shown) {
                EXPECT_LT(position, c) << k;
                rightmostShown = std::min(rightmostShown, position);
            } else {
                EXPECT_GT(position, c) << k;
            }
        }
        for (const auto& k : appleKeys) {
            EXPECT_LT(applied.at(k), rightmostShown) << k;
        }

        // Along the bar, each side follows the profile's order.
        auto rank = [&](const AppKey& app) {
            auto first = std::find(world.profile.order.begin(), world.profile.order.end(), app);
            return static_cast<std::size_t>(first - world.profile.order.begin());
        };
        std::optional<std::tuple<int, std::size_t, std::string>> previous;
        for (const auto& app : OrderPlanner::currentOrder(applied, self)) {
            if (!isMovable(world, app)) {
                continue;
            }
            std::tuple<int, std::size_t, std::string> place{
                world.profile.section(app) == Section::shown ? 1 : 0, rank(app), app.bundleID()};
            if (previous) {
                EXPECT_LE(std::get<0>(*previous), std::get<0>(place)) << app.bundleID();
                if (std::get<0>(*previous) == std::get<0>(place)) {
                    EXPECT_LE(std::get<1>(*previous), std::get<1>(place))
                        << std::get<2>(*previous) << " before " << app.bundleID();
                }
            }
            previous = place;
        }

        // The follower stands right of the control item, with nothing between them.
        auto followerEntry = applied.find(followerKey);
        if (world.followName && followerEntry != applied.end() && std::isfinite(followerEntry->second)) {
            const double f = followerEntry->second;
            EXPECT_LT(f, c);
            for (const auto& [k, position] : applied) {
                if (k != followerKey && k != control && std::isfinite(position)) {
                    EXPECT_FALSE(position >= f && position < c) << k << " between follower and control";
                }
            }
        }

        // Planning again finds nothing to write.
        auto again = planFor(world, applied);
        ASSERT_TRUE(std::holds_alternative<LayoutTable>(again));
        EXPECT_EQ(std::get<LayoutTable>(again), LayoutTable{}) << "second plan:\n"
                                                               << describe(std::get<LayoutTable>(again));
    }
}

} // namespace PELLACOR_TEST_FILE
