#pragma once

#include "MenuBarSystem/Support/SystemResult.h"

#include <ostream>

// How the tests print the system services' results: a failing expectation
// names the value or the reason instead of the bytes.
namespace pellacor::system {
inline void PrintTo(const UnavailableReason& reason, std::ostream* os) {
    *os << toString(reason);
}
template <typename T> void PrintTo(const SystemResult<T>& result, std::ostream* os) {
    *os << toString(result);
}
} // namespace pellacor::system
