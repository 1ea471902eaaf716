#pragma once

#include "MenuBarCore/Model/ItemSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::system {

// An ordinary status item to press: its owner and its position among the owner's items.
struct PressTarget {
    // The owning application.
    std::string bundleID;
    // The position among the owner's items, as the status-item reader numbers them.
    int index = 0;
    // The owning process, when known.
    std::optional<std::int32_t> pid;

    PressTarget(std::string bundleID, int index, std::optional<std::int32_t> pid)
        : bundleID(std::move(bundleID)), index(index), pid(pid) {}
    // The reader gives 0 when it has no process identifier; that becomes no `pid`.
    explicit PressTarget(const core::ItemSnapshot& snapshot);

    bool operator==(const PressTarget&) const = default;
};

// For logs: "PressTarget(com.example.app・2 番目・pid 312)", without the pid part when it is absent.
std::string toString(const PressTarget& target);

} // namespace pellacor::system

template <> struct std::hash<pellacor::system::PressTarget> {
    std::size_t operator()(const pellacor::system::PressTarget& target) const noexcept;
};
