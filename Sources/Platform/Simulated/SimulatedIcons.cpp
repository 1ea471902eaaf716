#include "Platform/Simulated/SimulatedIcons.h"

#include "MenuBarCore/Support/RegularFileReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <png.h>
#include <string>
#include <string_view>

namespace pellacor::platform {

namespace {

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;
};

// A canvas of premultiplied colour with coverage-based edges, turned into
// straight RGBA at the end.
class Canvas {
public:
    explicit Canvas(int side) : side_(side), pixels_(static_cast<std::size_t>(side) * side) {}

    // Paints `colour` at `alpha` over every pixel, weighted by `coverage(x, y)`
    // at the pixel's centre (0 outside, 1 inside).
    template <typename Coverage, typename Paint> void fill(Coverage coverage, Paint paint) {
        for (int y = 0; y < side_; ++y) {
            for (int x = 0; x < side_; ++x) {
                const double px = x + 0.5;
                const double py = y + 0.5;
                const double cover = std::clamp(coverage(px, py), 0.0, 1.0);
                if (cover <= 0) {
                    continue;
                }
                const auto [colour, alpha] = paint(px, py);
                const double a = cover * alpha;
                Pixel& p = pixels_[static_cast<std::size_t>(y) * side_ + x];
                p.r = colour.r * a + p.r * (1 - a);
                p.g = colour.g * a + p.g * (1 - a);
                p.b = colour.b * a + p.b * (1 - a);
                p.a = a + p.a * (1 - a);
            }
        }
    }

    ApplicationIcon icon() const {
        ApplicationIcon result{side_, side_, {}};
        result.rgba.reserve(pixels_.size() * 4);
        const auto byte = [](double v) {
            return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
        };
        for (const Pixel& p : pixels_) {
            const double a = p.a;
            result.rgba.push_back(a > 0 ? byte(p.r / a) : 0);
            result.rgba.push_back(a > 0 ? byte(p.g / a) : 0);
            result.rgba.push_back(a > 0 ? byte(p.b / a) : 0);
            result.rgba.push_back(byte(a));
        }
        return result;
    }

private:
    struct Pixel {
        double r = 0;
        double g = 0;
        double b = 0;
        double a = 0;
    };
    int side_;
    std::vector<Pixel> pixels_;
};

// How far inside (positive) a rounded rectangle centred at (cx, cy) a point
// lies, as a pixel's coverage: 1 well inside, 0 well outside, a ramp of one
// pixel across the edge.
double roundedRectCoverage(double px, double py, double cx, double cy, double half, double radius) {
    const double qx = std::abs(px - cx) - (half - radius);
    const double qy = std::abs(py - cy) - (half - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    const double distance = outside + std::min(std::max(qx, qy), 0.0) - radius;
    return 0.5 - distance;
}

double segmentCoverage(double px, double py, double ax, double ay, double bx, double by, double width) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    const double distance = std::hypot(px - (ax + t * dx), py - (ay + t * dy));
    return width / 2 + 0.5 - distance;
}

// FNV-1a: the same on every machine, unlike std::hash.
std::uint64_t fingerprint(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<Colour> parseColour(const std::optional<std::string>& text) {
    if (!text || text->size() != 7 || (*text)[0] != '#') {
        return std::nullopt;
    }
    const auto component = [&text](std::size_t at) -> std::optional<double> {
        int value = 0;
        for (std::size_t i = at; i < at + 2; ++i) {
            const char c = (*text)[i];
            int digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                return std::nullopt;
            }
            value = value * 16 + digit;
        }
        return value / 255.0;
    };
    const auto r = component(1);
    const auto g = component(3);
    const auto b = component(5);
    if (!r || !g || !b) {
        return std::nullopt;
    }
    return Colour{*r, *g, *b};
}

Colour fromHue(double hue) {
    // Saturation 0.55, value 0.78: strong enough for white tiles to stand out.
    constexpr double saturation = 0.55;
    constexpr double value = 0.78;
    const double c = value * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1 - std::abs(std::fmod(h, 2.0) - 1));
    const double m = value - c;
    const std::array<Colour, 6> sextants{{{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}}};
    const Colour base = sextants[static_cast<std::size_t>(std::clamp(static_cast<int>(h), 0, 5))];
    return {base.r + m, base.g + m, base.b + m};
}

Colour mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Paint {
    Colour colour;
    double alpha = 1;
};

// The body every icon here stands on: a rounded square with a little margin,
// lighter at the top.
void paintBody(Canvas& canvas, const Colour& colour) {
    constexpr double centre = SimulatedIcons::side / 2.0;
    constexpr double half = SimulatedIcons::side / 2.0 - 6;
    constexpr double radius = 26;
    const Colour top = mix(colour, Colour{1, 1, 1}, 0.22);
    const Colour bottom = mix(colour, Colour{0, 0, 0}, 0.12);
    canvas.fill([&](double x, double y) { return roundedRectCoverage(x, y, centre, centre, half, radius); },
                [&](double, double y) {
                    return Paint{mix(top, bottom, y / SimulatedIcons::side), 1};
                });
}

} // namespace

ApplicationIcon SimulatedIcons::of(const SimulatedApplication& application) {
    if (application.iconFile) {
        if (auto icon = fromFile(*application.iconFile)) {
            return std::move(*icon);
        }
    }
    return generated(application);
}

ApplicationIcon SimulatedIcons::generated(const SimulatedApplication& application) {
    const std::uint64_t hash =
        fingerprint(application.bundleIdentifier.value_or("") + "\n" + application.localizedName);
    const Colour colour =
        parseColour(application.iconColor).value_or(fromHue(static_cast<double>((hash >> 40U) % 360U)));
    Canvas canvas(side);
    paintBody(canvas, colour);

    // A 5 × 5 pattern, mirrored about its middle column: 15 bits of the hash.
    constexpr std::size_t cells = 5;
    constexpr double tile = 14;
    constexpr double gap = 3;
    constexpr double span = cells * tile + (cells - 1) * gap;
    constexpr double origin = (side - span) / 2;
    std::array<bool, cells * cells> on{};
    bool any = false;
    for (std::size_t row = 0; row < cells; ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            const bool bit = ((hash >> (row * 3 + column)) & 1U) != 0;
            on.at(row * cells + column) = bit;
            on.at(row * cells + (cells - 1 - column)) = bit;
            any = any || bit;
        }
    }
    if (!any) {
        on.at(2 * cells + 2) = true;
    }
    canvas.fill(
        [&](double x, double y) {
            if (x < origin || y < origin) {
                return 0.0;
            }
            const auto column = static_cast<std::size_t>((x - origin) / (tile + gap));
            const auto row = static_cast<std::size_t>((y - origin) / (tile + gap));
            if (column >= cells || row >= cells || !on.at(row * cells + column)) {
                return 0.0;
            }
            const double cx = origin + static_cast<double>(column) * (tile + gap) + tile / 2;
            const double cy = origin + static_cast<double>(row) * (tile + gap) + tile / 2;
            return roundedRectCoverage(x, y, cx, cy, tile / 2, 3);
        },
        [](double, double) {
            return Paint{Colour{1, 1, 1}, 0.92};
        });
    return canvas.icon();
}

ApplicationIcon SimulatedIcons::genericApplication() {
    Canvas canvas(side);
    paintBody(canvas, Colour{0.62, 0.64, 0.68});
    constexpr double stroke = 11;
    const auto letter = [](double x, double y) {
        return std::max({segmentCoverage(x, y, 64, 32, 38, 96, stroke),
                         segmentCoverage(x, y, 64, 32, 90, 96, stroke),
                         segmentCoverage(x, y, 46, 76, 82, 76, stroke)});
    };
    canvas.fill(letter, [](double, double) { return Paint{Colour{1, 1, 1}, 0.95}; });
    return canvas.icon();
}

std::optional<ApplicationIcon> SimulatedIcons::fromFile(const std::filesystem::path& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    const auto bytes = core::RegularFileReader::read(file, largestFileBytes);
    if (bytes.status != core::RegularFileReader::Result::Status::ok ||
        png_image_begin_read_from_memory(&image, bytes.content.data(), bytes.content.size()) == 0) {
        return std::nullopt;
    }
    if (image.width == 0 || image.height == 0 || image.width > largestFileSide ||
        image.height > largestFileSide) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGBA;
    ApplicationIcon icon{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    icon.rgba.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, icon.rgba.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return std::nullopt;
    }
    return icon;
}

} // namespace pellacor::platform
