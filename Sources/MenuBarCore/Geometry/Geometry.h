#pragma once

#include <optional>
#include <string>

namespace pellacor::core {

// Points, sizes and rectangles with the semantics the platform's drawing types
// have, so that geometry ported from there behaves the same: a null rectangle
// that absorbs unions and never intersects, standardised negative sizes,
// half-open containment.

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

    // The rectangle that stands for "no rectangle": the result of an empty
    // intersection. It is empty, contains nothing and is absorbed by unions.
    static Rect null();

    bool isNull() const;
    // Null, or zero width or height (after standardising).
    bool isEmpty() const;
    // The same area with non-negative width and height.
    Rect standardized() const;

    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;
    double width() const;
    double height() const;

    // Half-open: the minimum edges belong to the rectangle, the maximum edges do not.
    bool contains(Point p) const;
    bool contains(const Rect& other) const;
    // True only when the overlap has a positive area (touching edges do not count).
    bool intersects(const Rect& other) const;
    // The overlap, or null when it has no positive area.
    Rect intersection(const Rect& other) const;
    Rect unionWith(const Rect& other) const;
    // Grows (negative) or shrinks (positive) each side; null when a side would drop below zero.
    Rect insetBy(double dx, double dy) const;
    Rect offsetBy(double dx, double dy) const;
    // The same rectangle moved as little as it takes to lie within `bounds`, as
    // a menu or a panel is kept on its screen. Along a side where it is longer
    // than `bounds` its minimum edge meets theirs (in top-down coordinates the
    // left and the top stay in sight). Null when either is null.
    Rect keptWithin(const Rect& bounds) const;

    bool operator==(const Rect& other) const;
    std::string description() const;
};

// Converts between the bottom-left screen space (origin at the bottom left of the
// first screen, y up) and the top-down space (origin at its top left, y down).
// The conversion is its own inverse: y' = maxY(firstScreen) - maxY(rect).
Rect convertScreenSpace(const Rect& rect, const Rect& firstScreenFrame);
Point convertScreenSpace(Point point, const Rect& firstScreenFrame);

} // namespace pellacor::core
