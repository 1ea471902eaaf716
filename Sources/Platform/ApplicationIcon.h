#pragma once

#include <cstdint>
#include <vector>

namespace pellacor::platform {

// An icon as the workspace hands it out, as plain pixels: `width` × `height`
// pixels of straight (not premultiplied) RGBA, four bytes each, row by row from
// the top. Whoever draws it scales it to the size it needs.
struct ApplicationIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    // Whether the pixels fill the stated size exactly (and the size is positive).
    bool isWellFormed() const {
        return width > 0 && height > 0 &&
               rgba.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    }

    bool operator==(const ApplicationIcon&) const = default;
};

} // namespace pellacor::platform
