#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::core {

// One pressable row of the below-bar panel or the search panel: what a press
// needs (owner, place among the owner's items, process) and the row's number
// among its application's rows.
struct BelowBarEntry {
    std::string bundleID;
    int index = 0;
    std::optional<std::int32_t> pid;
    // 1-based among the rows of the same application; absent when it has only one.
    std::optional<int> ordinal;

    // bundle identifier + "#" + index; unique within one list.
    std::string id() const { return bundleID + "#" + std::to_string(index); }

    bool operator==(const BelowBarEntry&) const = default;
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::BelowBarEntry> {
    std::size_t operator()(const pellacor::core::BelowBarEntry& e) const noexcept {
        std::size_t h = std::hash<std::string>{}(e.bundleID);
        auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
        mix(std::hash<int>{}(e.index));
        mix(e.pid ? std::hash<std::int32_t>{}(*e.pid) : 0x51u);
        mix(e.ordinal ? std::hash<int>{}(*e.ordinal) : 0x73u);
        return h;
    }
};
