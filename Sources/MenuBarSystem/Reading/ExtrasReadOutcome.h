#pragma once

#include "MenuBarSystem/Reading/RawMenuBarItem.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace pellacor::system {

// The result of reading one application's extras menu bar.
struct ExtrasReadOutcome {
    // The bar's children, in their order.
    struct Items {
        std::vector<RawMenuBarItem> items;
        bool operator==(const Items&) const = default;
    };
    // The accessibility error that stopped the read.
    struct Failure {
        std::int32_t code = 0;
        bool operator==(const Failure&) const = default;
    };
    // The application has no extras menu bar.
    struct NoExtrasMenuBar {
        bool operator==(const NoExtrasMenuBar&) const = default;
    };
    // The read's deadline passed before the next item; what was read is dropped.
    struct DeadlinePassed {
        bool operator==(const DeadlinePassed&) const = default;
    };

    std::variant<Items, Failure, NoExtrasMenuBar, DeadlinePassed> value;

    bool operator==(const ExtrasReadOutcome&) const = default;
};

} // namespace pellacor::system
