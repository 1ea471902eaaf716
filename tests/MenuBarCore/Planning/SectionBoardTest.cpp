#include "MenuBarCore/Planning/SectionBoard.h"

#include "MenuBarCore/Planning/MenuBarPresence.h"
#include "Support/ModelPrinters.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pellacor::core {
inline void PrintTo(const SectionRow& row, std::ostream* os) {
    *os << "SectionRow(" << row.id() << ", " << rawValue(row.section) << ", " << rawValue(row.kind)
        << ", icons " << row.iconCount << (row.isRunning ? ", running" : ", not running")
        << (row.hiddenByMacOS ? ", hiddenByMacOS" : "") << ")";
}
} // namespace pellacor::core

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;

namespace {

const std::string self = "app.trayvane.pellacor";
// One 1440 x 900 screen; the menu bar's band runs from y = -2 to y = 44.
const std::vector<Rect> oneScreen{Rect(0, 0, 1440, 900)};

// An item 20 x 22 points with its top-left corner at (x, y); y = 0 is the bar.
ItemSnapshot item(const std::string& owner, std::optional<double> x, double y = 0) {
    std::optional<Rect> frame;
    if (x) {
        frame = Rect(*x, y, 20, 22);
    }
    return ItemSnapshot(owner, 100, std::nullopt, std::nullopt, std::nullopt, 0, frame);
}

Profile profile(std::map<AppKey, Section> sections, Section newItemSection = Section::hidden) {
    return Profile(Uuid::random(), "ふだん", std::move(sections), {}, newItemSection);
}

std::vector<AppKey> keys(std::initializer_list<const char*> ids) {
    std::vector<AppKey> out;
    for (auto id : ids) {
        out.emplace_back(id);
    }
    return out;
}

std::vector<std::string> ids(const std::vector<SectionRow>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows) {
        out.push_back(row.id());
    }
    return out;
}

SectionRow row(const char* id, Section section, SectionRow::Kind kind, int icons, bool running,
               bool hiddenByMacOS = false) {
    return SectionRow{.app = AppKey(id),
                      .section = section,
                      .kind = kind,
                      .iconCount = icons,
                      .isRunning = running,
                      .hiddenByMacOS = hiddenByMacOS};
}

} // namespace

TEST(MenuBarPresenceTest, DecidesByTheMidPointWithinTheBarBand) {
    struct Case {
        const char* name;
        std::optional<Rect> frame;
        std::vector<Rect> screens;
        bool off;
    };
    const std::vector<Rect> twoScreens{Rect(0, 0, 1440, 900), Rect(1440, 0, 1920, 1080)};
    const std::vector<Case> cases{
        {"no frame", std::nullopt, oneScreen, false},
        {"an empty frame far away", Rect(5000, 5000, 0, 22), oneScreen, false},
        {"the null frame", Rect::null(), oneScreen, false},
        {"no screens", Rect(100, 500, 20, 22), {}, false},
        {"on the bar", Rect(100, 0, 20, 22), oneScreen, false},
        // Mid y = top + 11: a top edge at -13 puts the mid point 2 points above the screen.
        {"mid point 2 points above the top edge", Rect(100, -13, 20, 22), oneScreen, false},
        {"mid point 2.5 points above the top edge", Rect(100, -13.5, 20, 22), oneScreen, true},
        {"mid point 44 points below the top edge", Rect(100, 33, 20, 22), oneScreen, false},
        {"mid point 44.5 points below the top edge", Rect(100, 33.5, 20, 22), oneScreen, true},
        {"mid x on the screen's right edge", Rect(1430, 0, 20, 22), oneScreen, false},
        {"mid x right of every screen", Rect(1431, 0, 20, 22), oneScreen, true},
        {"on the second screen's bar", Rect(2000, 0, 20, 22), twoScreens, false},
        {"below the second screen's bar", Rect(2000, 300, 20, 22), twoScreens, true},
        {"a negative size is standardised", Rect(120, 22, -20, -22), oneScreen, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MenuBarPresence::isOffMenuBar(c.frame, c.screens), c.off) << c.name;
    }
}

TEST(SectionBoardTest, NoItemsAndAnEmptyProfileGiveNoRows) {
    EXPECT_TRUE(SectionBoard::rows({}, profile({}), {}, self, {}, oneScreen).empty());
}

TEST(SectionBoardTest, OrdersRowsAsTheBarDoesWithoutAnOrder) {
    struct Case {
        const char* name;
        std::vector<ItemSnapshot> items;
        std::map<AppKey, Section> sections;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"by leftmost x, whatever the reading order",
         {item("com.example.c", 300), item("com.example.a", 100), item("com.example.b", 200),
          item("com.example.c", 50)},
         {},
         {"com.example.c", "com.example.a", "com.example.b"}},
        {"applications without a frame after the placed ones, by reading order",
         {item("com.example.nf2", std::nullopt), item("com.example.placed", 900),
          item("com.example.nf1", std::nullopt)},
         {},
         {"com.example.placed", "com.example.nf2", "com.example.nf1"}},
        {"equal x keeps the reading order",
         {item("com.example.second", 10), item("com.example.z", 5), item("com.example.first", 10)},
         {},
         {"com.example.z", "com.example.second", "com.example.first"}},
        {"profile-only applications after the items, by bundle identifier; Apple and self left out",
         {item("com.example.zz", 400)},
         {{AppKey("com.example.b"), Section::shown},
          {AppKey("com.apple.clock"), Section::hidden},
          {AppKey(self), Section::hidden},
          {AppKey("com.example.a"), Section::alwaysHidden}},
         {"com.example.zz", "com.example.a", "com.example.b"}},
        {"a NaN position counts as no frame",
         {item("com.example.nan", std::numeric_limits<double>::quiet_NaN()), item("com.example.x", 700),
          item("com.example.y", 600)},
         {},
         {"com.example.y", "com.example.x", "com.example.nan"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(SectionBoard::rows(c.items, profile(c.sections), {}, self, {}, oneScreen)), c.expected)
            << c.name;
    }
}

TEST(SectionBoardTest, AnOrderReRanksRowsStably) {
    // Bar order: self, a, b, c; then the profile-only application p.
    const std::vector<ItemSnapshot> items{item(self, 10), item("com.example.a", 20),
                                          item("com.example.b", 30), item("com.example.c", 40)};
    const auto withP = profile({{AppKey("com.example.p"), Section::shown}});
    struct Case {
        const char* name;
        std::vector<AppKey> order;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"an order naming everyone",
         keys({"com.example.p", "com.example.c", "com.example.b", "com.example.a", "app.trayvane.pellacor"}),
         {"com.example.p", "com.example.c", "com.example.b", "com.example.a", self}},
        {"the program missing from the order comes first; other missing ones last in bar order",
         keys({"com.example.b"}),
         {self, "com.example.b", "com.example.a", "com.example.c", "com.example.p"}},
        {"an application named twice ranks by its first position",
         keys({"com.example.c", "com.example.a", "com.example.c", "app.trayvane.pellacor"}),
         {"com.example.c", "com.example.a", self, "com.example.b", "com.example.p"}},
        {"an order of unknown applications only",
         keys({"com.example.gone"}),
         {self, "com.example.a", "com.example.b", "com.example.c", "com.example.p"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ids(SectionBoard::rows(items, withP, {}, self, c.order, oneScreen)), c.expected) << c.name;
    }
}

TEST(SectionBoardTest, GivesEachRowItsKindSectionAndFlags) {
    using Kind = SectionRow::Kind;
    const std::vector<ItemSnapshot> items{
        item(self, 10),
        item("com.apple.clock", 20),
        item("com.example.shown", 30),
        item("com.example.shown", 40),
        item("com.example.new", std::nullopt), // no frame: on the bar
        item("com.example.pushed", 50, 300),   // both items below the bar's band
        item("com.example.pushed", 70, 300),
        item("com.example.half", 60, 300), // one pushed away, one on the bar
        item("com.example.half", 80),
    };
    const auto sections = profile({{AppKey("com.example.shown"), Section::shown},
                                   {AppKey("com.example.pushed"), Section::hidden},
                                   {AppKey("com.example.half"), Section::alwaysHidden},
                                   {AppKey("com.apple.clock"), Section::alwaysHidden},
                                   {AppKey("com.example.quiet"), Section::shown},
                                   {AppKey("com.example.sleeping"), Section::hidden}},
                                  Section::alwaysHidden);
    // Items count as running whatever `running` says; a profile-only application by `running`.
    const std::set<std::string> running{"com.example.quiet"};

    const std::vector<SectionRow> expected{
        row("app.trayvane.pellacor", Section::shown, Kind::selfItem, 1, true),
        row("com.apple.clock", Section::shown, Kind::apple, 1, true),
        row("com.example.shown", Section::shown, Kind::movable, 2, true),
        row("com.example.pushed", Section::hidden, Kind::movable, 2, true, true),
        row("com.example.half", Section::alwaysHidden, Kind::movable, 2, true),
        row("com.example.new", Section::alwaysHidden, Kind::movable, 1, true),
        row("com.example.quiet", Section::shown, Kind::movable, 0, true),
        row("com.example.sleeping", Section::hidden, Kind::movable, 0, false),
    };
    const auto rows = SectionBoard::rows(items, sections, running, self, {}, oneScreen);
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(rows[2].isMovable());
    EXPECT_FALSE(rows[0].isMovable());
    EXPECT_FALSE(rows[1].isMovable());

    // Without screens nothing counts as pushed off the bar.
    const auto unscreened = SectionBoard::rows(items, sections, running, self, {}, {});
    for (const auto& r : unscreened) {
        EXPECT_FALSE(r.hiddenByMacOS) << r.id();
    }
}

} // namespace PELLACOR_TEST_FILE
