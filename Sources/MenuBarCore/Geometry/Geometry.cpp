#include "MenuBarCore/Geometry/Geometry.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace pellacor::core {

namespace {
constexpr double infinity = std::numeric_limits<double>::infinity();
}

Rect Rect::null() {
    return Rect(infinity, infinity, 0, 0);
}

bool Rect::isNull() const {
    return std::isinf(origin.x) || std::isinf(origin.y);
}

bool Rect::isEmpty() const {
    return isNull() || size.width == 0 || size.height == 0;
}

Rect Rect::standardized() const {
    if (isNull()) {
        return null();
    }
    Rect r = *this;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double Rect::minX() const {
    return standardized().origin.x;
}
double Rect::maxX() const {
    auto s = standardized();
    return s.origin.x + s.size.width;
}
double Rect::midX() const {
    auto s = standardized();
    return s.origin.x + s.size.width / 2;
}
double Rect::minY() const {
    return standardized().origin.y;
}
double Rect::maxY() const {
    auto s = standardized();
    return s.origin.y + s.size.height;
}
double Rect::midY() const {
    auto s = standardized();
    return s.origin.y + s.size.height / 2;
}
double Rect::width() const {
    return std::fabs(size.width);
}
double Rect::height() const {
    return std::fabs(size.height);
}

bool Rect::contains(Point p) const {
    if (isEmpty()) {
        return false;
    }
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::contains(const Rect& other) const {
    if (isNull() || other.isNull()) {
        return false;
    }
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
           other.maxY() <= maxY();
}

bool Rect::intersects(const Rect& other) const {
    return !intersection(other).isNull();
}

Rect Rect::intersection(const Rect& other) const {
    if (isEmpty() || other.isEmpty()) {
        return null();
    }
    double x0 = std::max(minX(), other.minX());
    double x1 = std::min(maxX(), other.maxX());
    double y0 = std::max(minY(), other.minY());
    double y1 = std::min(maxY(), other.maxY());
    if (x1 <= x0 || y1 <= y0) {
        return null();
    }
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::unionWith(const Rect& other) const {
    if (isNull()) {
        return other.standardized();
    }
    if (other.isNull()) {
        return standardized();
    }
    double x0 = std::min(minX(), other.minX());
    double x1 = std::max(maxX(), other.maxX());
    double y0 = std::min(minY(), other.minY());
    double y1 = std::max(maxY(), other.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull()) {
        return null();
    }
    auto s = standardized();
    Rect r(s.origin.x + dx, s.origin.y + dy, s.size.width - 2 * dx, s.size.height - 2 * dy);
    if (r.size.width < 0 || r.size.height < 0) {
        return null();
    }
    return r;
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull()) {
        return null();
    }
    auto s = standardized();
    return Rect(s.origin.x + dx, s.origin.y + dy, s.size.width, s.size.height);
}

Rect Rect::keptWithin(const Rect& bounds) const {
    if (isNull() || bounds.isNull()) {
        return null();
    }
    const auto s = standardized();
    const auto b = bounds.standardized();
    // The far edge first, so that a rectangle longer than the bounds ends at their near edge.
    const double x = std::max(b.minX(), std::min(s.minX(), b.maxX() - s.width()));
    const double y = std::max(b.minY(), std::min(s.minY(), b.maxY() - s.height()));
    return Rect(x, y, s.width(), s.height());
}

bool Rect::operator==(const Rect& other) const {
    if (isNull() || other.isNull()) {
        return isNull() && other.isNull();
    }
    return origin == other.origin && size == other.size;
}

std::string Rect::description() const {
    if (isNull()) {
        return "null";
    }
    return fmt::format("({}, {}, {}, {})", origin.x, origin.y, size.width, size.height);
}

Rect convertScreenSpace(const Rect& rect, const Rect& firstScreenFrame) {
    if (rect.isNull()) {
        return Rect::null();
    }
    auto s = rect.standardized();
    return Rect(s.origin.x, firstScreenFrame.maxY() - s.maxY(), s.size.width, s.size.height);
}

Point convertScreenSpace(Point point, const Rect& firstScreenFrame) {
    return Point{point.x, firstScreenFrame.maxY() - point.y};
}

} // namespace pellacor::core
