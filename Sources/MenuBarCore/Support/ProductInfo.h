#pragma once

#include <string_view>

namespace pellacor::core {

// Facts about the product itself. The name is the update request's whole user
// agent and the title of the program's notices, so it is kept beside the update
// logic rather than in the shell.
struct ProductInfo {
    static constexpr std::string_view name = "Pellacor";
};

} // namespace pellacor::core
