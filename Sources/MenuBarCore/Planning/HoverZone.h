#pragma once

namespace pellacor::core {

// Where the pointer is, as far as hover reveal cares.
enum class HoverZone {
    away,       // in no hover zone
    control,    // on the control item
    rightSpace, // on the empty menu bar right of the control item
};

} // namespace pellacor::core
