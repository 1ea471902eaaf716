#pragma once

#include "Platform/StatusItemImage.h"

#include <optional>
#include <string_view>

namespace pellacor::app {

// The system symbols the status items use, bundled as SVG and drawn as
// template images of 18 × 18 points.
struct SymbolImage {
    // Nothing for a name the program carries no symbol of, or one that does not draw.
    static std::optional<platform::StatusItemImage> named(std::string_view name);
    // The SVG text of a symbol; empty when there is none.
    static std::string_view svg(std::string_view name);
};

} // namespace pellacor::app
