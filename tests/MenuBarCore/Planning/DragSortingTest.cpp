#include "MenuBarCore/Planning/DragSorting.h"

#include "MenuBarCore/Support/Uuid.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace pellacor::core;

namespace pellacor::core {

static void PrintTo(const DragSorting::Outcome& outcome, std::ostream* os) {
    *os << outcome.description();
}
static void PrintTo(const DragSorting::Grab& grab, std::ostream* os) {
    *os << grab.description();
}

} // namespace pellacor::core

namespace PELLACOR_TEST_FILE {
namespace {

using Hit = DragSorting::Hit;
using Grab = DragSorting::Grab;
using Outcome = DragSorting::Outcome;
using Change = DragSorting::Change;
using Side = DragSorting::Side;

const std::string self = "app.trayvane.pellacor";
const std::string dividerID(DragSorting::dividerIdentifier);

// A status item 20 points wide (unless said otherwise) on a 24-point bar, in
// top-down coordinates.
ItemSnapshot item(const std::string& owner, double x, double width = 20,
                  std::optional<std::string> identifier = std::nullopt, int index = 0) {
    return ItemSnapshot(owner, 100, std::move(identifier), std::nullopt, std::nullopt, index,
                        Rect(x, 0, width, 24));
}
ItemSnapshot frameless(const std::string& owner, std::optional<Rect> frame = std::nullopt) {
    return ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, 0, frame);
}
// The control item at x = 500 to 520 (mid x 510).
ItemSnapshot divider(double x = 500, double width = 20) {
    return item(self, x, width, dividerID);
}

Profile profile(std::map<AppKey, Section> sections, Section newItems = Section::hidden) {
    return Profile(Uuid::random(), "P", std::move(sections), {}, newItems);
}

Grab app(const char* bundleID) {
    return Grab::app(AppKey(bundleID));
}
Change change(const char* bundleID, Section from, Section to) {
    return Change{AppKey(bundleID), from, to};
}

std::set<AppKey> keys(std::initializer_list<const char*> ids) {
    std::set<AppKey> out;
    for (auto id : ids) {
        out.emplace(id);
    }
    return out;
}

constexpr auto shown = Section::shown;
constexpr auto hidden = Section::hidden;
constexpr auto alwaysHidden = Section::alwaysHidden;

struct Case {
    std::string name;
    Grab grab;
    std::vector<ItemSnapshot> items;
    Profile profile;
    std::optional<std::set<AppKey>> visible;
    std::optional<Point> drop;
    Outcome expected;
};

} // namespace

TEST(DragSortingTest, GrabOfOneHit) {
    struct GrabCase {
        std::string name;
        Hit hit;
        std::optional<Grab> expected;
    };
    const std::vector<GrabCase> cases{
        {"no item", Hit::none(), std::nullopt},
        {"an item without owner", Hit::item("", "x"), std::nullopt},
        {"the control item", Hit::item(self, dividerID), Grab::divider()},
        {"the program's other item", Hit::item(self, "trv-user-switcher"), std::nullopt},
        {"the program's item without identifier", Hit::item(self, std::nullopt), std::nullopt},
        {"another application's item named like the divider", Hit::item("com.example.a", dividerID),
         app("com.example.a")},
        {"an Apple item", Hit::item("com.apple.clock", "com.apple.menuextra.clock"), std::nullopt},
        {"a prefix without the dot is not Apple's", Hit::item("com.applesoft.tool", std::nullopt),
         app("com.applesoft.tool")},
        {"an application's item", Hit::item("com.example.a", std::nullopt), app("com.example.a")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DragSorting::grab(c.hit, self), c.expected);
    }
}

TEST(DragSortingTest, ResolveFallsBackToTheEndOnlyForAPressOnTheBar) {
    const auto a = Hit::item("com.example.a", std::nullopt);
    const auto b = Hit::item("com.example.b", std::nullopt);
    const auto apple = Hit::item("com.apple.clock", std::nullopt);
    struct ResolveCase {
        std::string name;
        Hit start;
        Hit end;
        bool startInMenuBar;
        std::optional<Grab> expected;
    };
    const std::vector<ResolveCase> cases{
        {"the start item wins over the end", a, b, true, app("com.example.a")},
        {"a start item is used even off the bar", a, b, false, app("com.example.a")},
        {"a start item that grabs nothing does not fall back", apple, b, true, std::nullopt},
        {"empty bar space at the start: the end item", Hit::none(), b, true, app("com.example.b")},
        {"empty bar space to empty bar space", Hit::none(), Hit::none(), true, std::nullopt},
        {"a start off the bar grabs nothing", Hit::none(), b, false, std::nullopt},
        {"the end can be the divider", Hit::none(), Hit::item(self, dividerID), true, Grab::divider()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DragSorting::resolve(c.start, c.end, c.startInMenuBar, self), c.expected);
    }
}

TEST(DragSortingTest, SectionOnEachSide) {
    EXPECT_EQ(DragSorting::section(Side::right, shown), shown);
    EXPECT_EQ(DragSorting::section(Side::right, hidden), shown);
    EXPECT_EQ(DragSorting::section(Side::right, alwaysHidden), shown);
    EXPECT_EQ(DragSorting::section(Side::left, shown), hidden);
    EXPECT_EQ(DragSorting::section(Side::left, hidden), hidden);
    EXPECT_EQ(DragSorting::section(Side::left, alwaysHidden), alwaysHidden);
}

TEST(DragSortingTest, SideAndNearness) {
    const Rect div(500, 0, 20, 24); // mid x 510
    EXPECT_EQ(DragSorting::side({Rect(540, 0, 20, 24), Rect(600, 0, 30, 24)}, div), Side::right);
    EXPECT_EQ(DragSorting::side({Rect(440, 0, 20, 24)}, div), Side::left);
    EXPECT_EQ(DragSorting::side({Rect(500, 0, 20, 24)}, div), Side::left) << "centred on the divider";
    EXPECT_EQ(DragSorting::side({Rect(500.5, 0, 20, 24)}, div), Side::right);
    EXPECT_EQ(DragSorting::side({Rect(440, 0, 20, 24), Rect(540, 0, 20, 24)}, div), std::nullopt);
    EXPECT_EQ(DragSorting::side({}, div), std::nullopt);

    const Rect frame(540, 0, 20, 24); // 540 to 560
    EXPECT_TRUE(DragSorting::isNear({492, 0}, {frame})) << "48 left of minX";
    EXPECT_FALSE(DragSorting::isNear({491.5, 0}, {frame}));
    EXPECT_TRUE(DragSorting::isNear({550, 0}, {frame}));
    EXPECT_TRUE(DragSorting::isNear({608, 0}, {frame})) << "48 right of maxX";
    EXPECT_FALSE(DragSorting::isNear({608.5, 0}, {frame}));
    EXPECT_TRUE(DragSorting::isNear({608, 900}, {frame})) << "only x counts";
    EXPECT_TRUE(DragSorting::isNear({700, 0}, {frame, Rect(720, 0, 20, 24)})) << "any frame will do";
    EXPECT_FALSE(DragSorting::isNear({550, 0}, {}));
}

TEST(DragSortingTest, OverlappingTakesPartByVisibilityAndIgnoresFourPointsEachSide) {
    const std::vector<ItemSnapshot> items{
        item("com.example.a", 100),     // 0: overlaps b by 9 points
        item("com.example.b", 111),     // 1
        item("com.example.c", 200),     // 2: overlaps d by 8 points, which only touch once inset
        item("com.example.d", 212),     // 3
        item("com.apple.clock", 300),   // 4: overlaps the program's item
        item(self, 310, 20, dividerID), // 5
        item("com.example.e", 400),     // 6: overlaps f's item, whose zero height is no usable frame
        frameless("com.example.f", Rect(405, 0, 20, 0)),
        item("com.example.g", 600, 6), // 8: too narrow to survive the inset
        item("com.example.h", 601),    // 9
    };
    using Indexes = std::set<std::size_t>;
    EXPECT_EQ(DragSorting::overlapping(items, self, std::nullopt), (Indexes{0, 1, 4, 5}));
    EXPECT_EQ(DragSorting::overlapping(items, self, keys({"com.example.a"})), (Indexes{4, 5}));
    EXPECT_EQ(DragSorting::overlapping(items, self, keys({"com.example.a", "com.example.b"})),
              (Indexes{0, 1, 4, 5}));
    EXPECT_EQ(DragSorting::overlapping(items, self, std::set<AppKey>{}), (Indexes{4, 5}));
}

TEST(DragSortingTest, ChangesForAnApplication) {
    const auto a = "com.example.a";
    const auto b = "com.example.b";
    const auto sections = std::map<AppKey, Section>{{AppKey(a), hidden}, {AppKey(b), shown}};
    const std::vector<ItemSnapshot> bar{item(b, 440), divider(), item(a, 540)};

    const std::vector<Case> cases{
        {"empty bar", app(a), {}, profile(sections), std::nullopt, std::nullopt, Outcome::noDivider()},
        {"only the program's other item",
         app(a),
         {item(self, 500, 20, "trv-user-switcher"), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::noDivider()},
        {"divider without frame",
         app(a),
         {ItemSnapshot(self, 1, dividerID, std::nullopt, std::nullopt, 0, std::nullopt), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::noDivider()},
        {"divider of zero width",
         app(a),
         {divider(500, 0), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::noDivider()},
        {"the first of two dividers counts",
         app(b),
         {divider(600), item(b, 540), divider(500)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::changes({change(b, shown, hidden)})},
        {"hidden application dragged right is shown", app(a), bar, profile(sections), std::nullopt,
         std::nullopt, Outcome::changes({change(a, hidden, shown)})},
        {"shown application dragged left is hidden", app(b), bar, profile(sections), std::nullopt,
         std::nullopt, Outcome::changes({change(b, shown, hidden)})},
        {"already in the section of its side", app(a), bar, profile({{AppKey(a), shown}}), std::nullopt,
         std::nullopt, Outcome::changes({})},
        {"always hidden dragged left stays always hidden", app(b), bar, profile({{AppKey(b), alwaysHidden}}),
         std::nullopt, std::nullopt, Outcome::changes({})},
        {"always hidden dragged right is shown", app(a), bar, profile({{AppKey(a), alwaysHidden}}),
         std::nullopt, std::nullopt, Outcome::changes({change(a, alwaysHidden, shown)})},
        {"an application without entry in an always-hidden new-item section stays when dragged left", app(b),
         bar, profile({}, alwaysHidden), std::nullopt, std::nullopt, Outcome::changes({})},
        {"an application without entry dragged right", app(a), bar, profile({}, alwaysHidden), std::nullopt,
         std::nullopt, Outcome::changes({change(a, alwaysHidden, shown)})},
        {"an Apple application never changes",
         app("com.apple.clock"),
         {divider(), item("com.apple.clock", 540)},
         profile({}),
         std::nullopt,
         std::nullopt,
         Outcome::changes({})},
        {"the program itself never changes",
         Grab::app(AppKey(self)),
         {divider(), item(self, 540, 20, "trv-user-switcher")},
         profile({}),
         std::nullopt,
         std::nullopt,
         Outcome::changes({})},
        {"no item of the application",
         app(a),
         {divider(), item(b, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::noItem()},
        {"only items without usable frames",
         app(a),
         {divider(), frameless(a), frameless(a, Rect(540, 0, 20, 0))},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::noItem()},
        {"frameless items are left out of the side",
         app(a),
         {divider(), frameless(a, Rect(100, 0, 0, 24)), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::changes({change(a, hidden, shown)})},
        {"items on both sides",
         app(a),
         {item(a, 440), divider(), item(a, 540, 20, std::nullopt, 1)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::straddles()},
        {"the divider overlaps a taking-part item by 9 points, whatever was grabbed",
         app(a),
         {item(b, 489), divider(), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::folded()},
        {"an overlap of 8 points only touches once inset",
         app(a),
         {item(b, 488), divider(), item(a, 540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::changes({change(a, hidden, shown)})},
        {"an overlapping item that was not visible takes no part",
         app(a),
         {item(b, 489), divider(), item(a, 540)},
         profile(sections),
         keys({a}),
         std::nullopt,
         Outcome::changes({change(a, hidden, shown)})},
        {"one of the application's items is folded",
         app(a),
         {divider(), item(a, 540), item(a, 600, 20, std::nullopt, 1), item(b, 610)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::folded()},
        {"folded wins over a far drop",
         app(a),
         {divider(), item(a, 540), item(b, 550)},
         profile(sections),
         std::nullopt,
         Point{2000, 10},
         Outcome::folded()},
        {"drop 48 points right of the item is near", app(a), bar, profile(sections), std::nullopt,
         Point{608, 10}, Outcome::changes({change(a, hidden, shown)})},
        {"drop 48.5 points right of the item is not", app(a), bar, profile(sections), std::nullopt,
         Point{608.5, 10}, Outcome::notAtDrop()},
        {"a far drop refuses before a straddle is seen",
         app(a),
         {item(a, 440), divider(), item(a, 540, 20, std::nullopt, 1)},
         profile(sections),
         std::nullopt,
         Point{1000, 10},
         Outcome::notAtDrop()},
        {"without a drop point the distance is not tested",
         app(a),
         {divider(), item(a, 1540)},
         profile(sections),
         std::nullopt,
         std::nullopt,
         Outcome::changes({change(a, hidden, shown)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DragSorting::changes(c.grab, c.items, c.profile, self, c.visible, c.drop), c.expected);
    }
}

TEST(DragSortingTest, ChangesForTheDivider) {
    const auto a = "com.example.a";
    const auto b = "com.example.b";
    const auto c = "com.example.c";
    const auto d = "com.example.d";
    const auto e = "com.example.e";
    const auto f = "com.example.f";
    const auto h = "com.example.ab"; // sorts between a and b
    const auto sections = std::map<AppKey, Section>{
        {AppKey(a), hidden},       {AppKey(b), shown}, {AppKey(c), shown}, {AppKey(d), hidden},
        {AppKey(e), alwaysHidden}, {AppKey(f), shown}, {AppKey(h), shown}};
    // Listed out of bundle-identifier order on purpose: the result is sorted.
    const std::vector<ItemSnapshot> bar{
        item(h, 250),                             // h straddles: left here...
        item(e, 300),                             // left, always hidden: stays
        item(c, 340),                             // c's first item is clear, yet c is folded
        item(c, 380, 20, std::nullopt, 1),        // folded behind d's first item
        item(d, 391),                             //
        item(b, 440),                             // left, shown: to hidden
        item("com.apple.clock", 470),             // Apple: never sorted
        divider(),                                //
        item(self, 525, 20, "trv-user-switcher"), // the program's other item: never sorted
        item(a, 560),                             // right, hidden: to shown
        item(f, 600),                             // right, shown already
        frameless("com.example.g"),               // no frame: not on the bar
        item(d, 650, 20, std::nullopt, 1),        // d's clear item, right of the divider
        item(h, 700, 20, std::nullopt, 1),        // ...and right here
    };
    const std::vector<Change> expected{change(a, hidden, shown), change(b, shown, hidden)};

    const std::vector<Case> cases{
        {"every application on the bar is re-sorted; folded and straddling ones are left alone",
         Grab::divider(), bar, profile(sections), std::nullopt, std::nullopt, Outcome::changes(expected)},
        {"a drop near the divider", Grab::divider(), bar, profile(sections), std::nullopt, Point{452, 0},
         Outcome::changes(expected)},
        {"a drop far from the divider", Grab::divider(), bar, profile(sections), std::nullopt,
         Point{451.5, 0}, Outcome::notAtDrop()},
        {"only what was visible is sorted", Grab::divider(), bar, profile(sections), keys({b, c, d}),
         std::nullopt, Outcome::changes({change(b, shown, hidden)})},
        {"nothing visible: no changes", Grab::divider(), bar, profile(sections), std::set<AppKey>{},
         std::nullopt, Outcome::changes({})},
        {"applications without entry move from the new-item section", Grab::divider(),
         std::vector<ItemSnapshot>{item(b, 440), divider(), item(a, 560)}, profile({}, hidden), std::nullopt,
         std::nullopt, Outcome::changes({change(a, hidden, shown)})},
        {"a folded divider", Grab::divider(),
         std::vector<ItemSnapshot>{item(b, 509), divider(), item(a, 560)}, profile(sections), std::nullopt,
         std::nullopt, Outcome::folded()},
        {"no divider", Grab::divider(), std::vector<ItemSnapshot>{item(b, 440), item(a, 560)},
         profile(sections), std::nullopt, std::nullopt, Outcome::noDivider()},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(DragSorting::changes(k.grab, k.items, k.profile, self, k.visible, k.drop), k.expected);
    }
}

} // namespace PELLACOR_TEST_FILE
