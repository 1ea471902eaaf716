#pragma once

// Readable GoogleTest output for the state document (found by argument-dependent lookup).

#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/JsonCoding.h"

#include <ostream>

namespace pellacor::core {

inline void PrintTo(const StoredState& state, std::ostream* os) {
    *os << encodeJson(state).dump();
}

} // namespace pellacor::core
