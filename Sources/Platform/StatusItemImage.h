#pragma once

#include <cstdint>
#include <vector>

namespace pellacor::platform {

// An image for a status item's button, as plain pixels: `width` × `height`
// pixels of straight (not premultiplied) RGBA, four bytes each, row by row from
// the top, drawn at `scale` pixels per point. A template image is drawn in the
// bar's text colour, only its alpha taken.
struct StatusItemImage {
    int width = 0;
    int height = 0;
    double scale = 1;
    std::vector<std::uint8_t> rgba;
    bool isTemplate = false;

    // Whether the pixels fill the stated size exactly (and the size is positive).
    bool isWellFormed() const {
        return width > 0 && height > 0 && scale > 0 &&
               rgba.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }

    bool operator==(const StatusItemImage&) const = default;
};

} // namespace pellacor::platform
