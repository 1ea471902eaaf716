#include "MenuBarCore/Geometry/Geometry.h"

#include <gtest/gtest.h>

namespace PELLACOR_TEST_FILE {

using pellacor::core::Point;
using pellacor::core::Rect;

TEST(RectTest, NullAndEmpty) {
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_FALSE(Rect(0, 0, 0, 5).isNull());
    EXPECT_TRUE(Rect(0, 0, 0, 5).isEmpty());
    EXPECT_TRUE(Rect(0, 0, 5, 0).isEmpty());
    EXPECT_FALSE(Rect(0, 0, 1, 1).isEmpty());
    EXPECT_FALSE(Rect::null().contains(Point{0, 0}));
    EXPECT_EQ(Rect::null(), Rect::null());
}

TEST(RectTest, NegativeSizesAreStandardised) {
    Rect r(10, 10, -4, -6);
    EXPECT_EQ(r.standardized(), Rect(6, 4, 4, 6));
    EXPECT_DOUBLE_EQ(r.minX(), 6);
    EXPECT_DOUBLE_EQ(r.maxX(), 10);
    EXPECT_DOUBLE_EQ(r.minY(), 4);
    EXPECT_DOUBLE_EQ(r.maxY(), 10);
    EXPECT_DOUBLE_EQ(r.midX(), 8);
    EXPECT_DOUBLE_EQ(r.width(), 4);
    EXPECT_TRUE(r.contains(Point{6, 4}));
}

TEST(RectTest, ContainsIsHalfOpen) {
    Rect r(0, 0, 10, 10);
    struct Case {
        Point p;
        bool inside;
    } cases[] = {
        {{0, 0}, true}, {{9.999, 9.999}, true}, {{10, 5}, false}, {{5, 10}, false}, {{-0.001, 5}, false},
    };
    for (auto& c : cases) {
        EXPECT_EQ(r.contains(c.p), c.inside) << c.p.x << "," << c.p.y;
    }
    EXPECT_FALSE(Rect(0, 0, 0, 10).contains(Point{0, 0}));
}

TEST(RectTest, IntersectionNeedsPositiveArea) {
    Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_TRUE(a.intersection(Rect(10, 0, 5, 5)).isNull()); // touching edge
    EXPECT_TRUE(a.intersection(Rect(20, 20, 5, 5)).isNull());
    EXPECT_TRUE(a.intersection(Rect(2, 2, 0, 5)).isNull()); // empty rectangle
    EXPECT_FALSE(a.intersects(Rect(10, 0, 5, 5)));
    EXPECT_TRUE(a.intersects(Rect(9, 9, 5, 5)));
    EXPECT_TRUE(a.intersection(Rect::null()).isNull());
}

TEST(RectTest, InsetAndUnion) {
    Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.insetBy(2, 3), Rect(2, 3, 6, 4));
    EXPECT_EQ(a.insetBy(-4, -4), Rect(-4, -4, 18, 18));
    EXPECT_EQ(a.insetBy(5, 5), Rect(5, 5, 0, 0));
    EXPECT_TRUE(a.insetBy(6, 0).isNull());
    EXPECT_EQ(Rect::null().unionWith(a), a);
    EXPECT_EQ(a.unionWith(Rect(20, 20, 5, 5)), Rect(0, 0, 25, 25));
}

TEST(ScreenSpaceTest, FlipsAgainstTheFirstScreen) {
    Rect firstScreen(0, 0, 1512, 982);
    // A 24-point menu bar at the top of the first screen.
    Rect menuBarBottomUp(0, 958, 1512, 24);
    EXPECT_EQ(pellacor::core::convertScreenSpace(menuBarBottomUp, firstScreen), Rect(0, 0, 1512, 24));
    // A secondary screen above the main one has negative top-down y.
    Rect above(0, 982, 1920, 1080);
    EXPECT_EQ(pellacor::core::convertScreenSpace(above, firstScreen), Rect(0, -1080, 1920, 1080));
    // The conversion is its own inverse.
    Rect r(30, 40, 50, 60);
    EXPECT_EQ(
        pellacor::core::convertScreenSpace(pellacor::core::convertScreenSpace(r, firstScreen), firstScreen),
        r);
    auto p = pellacor::core::convertScreenSpace(Point{10, 982}, firstScreen);
    EXPECT_EQ(p, (Point{10, 0}));
}

// Every operation sees a rectangle with negative sizes as its standard form.
TEST(RectTest, OperationsTakeNegativeSizesInTheirStandardForm) {
    Rect flipped(10, 10, -10, -10); // the same area as (0, 0, 10, 10)
    EXPECT_EQ(flipped.intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_TRUE(flipped.intersection(Rect(10, 0, 5, 5)).isNull());
    EXPECT_EQ(flipped.unionWith(Rect(20, 20, -5, -5)), Rect(0, 0, 20, 20));
    EXPECT_EQ(flipped.insetBy(2, 3), Rect(2, 3, 6, 4));
    EXPECT_TRUE(flipped.insetBy(0, 5.5).isNull());
    EXPECT_EQ(flipped.offsetBy(1, -1), Rect(1, -1, 10, 10));
    EXPECT_FALSE(flipped.contains(Point{10, 5}));
    EXPECT_TRUE(flipped.contains(Point{0, 0}));
}

TEST(RectTest, ContainingRectanglesAndNull) {
    Rect a(0, 0, 10, 10);
    EXPECT_TRUE(a.contains(a));
    EXPECT_TRUE(a.contains(Rect(2, 2, 8, 8)));  // sharing the maximum edges
    EXPECT_FALSE(a.contains(Rect(2, 2, 9, 8))); // one past them
    EXPECT_TRUE(a.contains(Rect(10, 10, -10, -10)));
    EXPECT_FALSE(a.contains(Rect::null()));
    EXPECT_FALSE(Rect::null().contains(a));
    EXPECT_TRUE(Rect::null().offsetBy(5, 5).isNull());
    EXPECT_TRUE(Rect::null().insetBy(-5, -5).isNull());
    EXPECT_TRUE(Rect::null().unionWith(Rect::null()).isNull());
    EXPECT_NE(Rect::null(), Rect(0, 0, 0, 0));
}

// A menu or panel kept on a 1440 × 900 screen, top-down.
TEST(RectTest, KeptWithinMovesAsLittleAsItTakes) {
    const Rect screen(0, 0, 1440, 900);
    struct Case {
        const char* what;
        Rect rect;
        Rect kept;
    };
    const Case cases[] = {
        {"inside already", Rect(100, 24, 200, 300), Rect(100, 24, 200, 300)},
        {"past the right edge", Rect(1380, 24, 260, 300), Rect(1180, 24, 260, 300)},
        {"past the bottom", Rect(100, 800, 200, 300), Rect(100, 600, 200, 300)},
        {"before the left and top edges", Rect(-30, -5, 200, 300), Rect(0, 0, 200, 300)},
        {"wider and taller than the screen", Rect(600, 500, 1600, 1000), Rect(0, 0, 1600, 1000)},
        {"given with a negative size", Rect(1640, 24, -260, 300), Rect(1180, 24, 260, 300)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.rect.keptWithin(screen), c.kept) << c.what;
    }
    EXPECT_EQ(Rect(1380, 24, 260, 300).keptWithin(Rect(1440, 0, 1280, 800)), Rect(1440, 24, 260, 300))
        << "onto a second screen to the right";
    EXPECT_TRUE(Rect::null().keptWithin(screen).isNull());
    EXPECT_TRUE(Rect(0, 0, 10, 10).keptWithin(Rect::null()).isNull());
}

} // namespace PELLACOR_TEST_FILE
