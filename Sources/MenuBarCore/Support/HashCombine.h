#pragma once

#include <cstddef>
#include <functional>

namespace pellacor::core {

// Feeds one more value into a running hash, so that a value type can hash its
// fields in order (the same fields in another order hash differently).
template <typename T> void hashCombine(std::size_t& seed, const T& value) {
    seed ^= std::hash<T>()(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace pellacor::core
