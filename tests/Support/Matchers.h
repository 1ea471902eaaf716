#pragma once

#include <algorithm>
#include <gmock/gmock.h>
#include <string>
#include <vector>

namespace pellacor::testing {

// Matches a log record by level and exact message.
MATCHER_P2(LogRecordIs, level, message, "") {
    return arg.level == level && arg.message == message;
}

// Matches a string that contains the given fragment.
MATCHER_P(HasSubstring, fragment, "") {
    return std::string(arg).find(fragment) != std::string::npos;
}

// True when `sub` appears in `all` in the same relative order (not necessarily adjacent).
template <typename T> bool isSubsequence(const std::vector<T>& sub, const std::vector<T>& all) {
    auto it = all.begin();
    for (auto& wanted : sub) {
        it = std::find(it, all.end(), wanted);
        if (it == all.end()) {
            return false;
        }
        ++it;
    }
    return true;
}

} // namespace pellacor::testing
