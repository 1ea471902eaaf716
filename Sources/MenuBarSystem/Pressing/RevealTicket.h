#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace pellacor::system {

// The handle of one temporary reveal or lift granted by a `PressRevealing`; it is
// given back with `endReveal` exactly once.
struct RevealTicket {
    // The revealer's serial number; no two live tickets share it.
    int id = 0;
    // The application revealed; empty for a lift of the whole restriction.
    std::string bundleID;

    // `id` first, then `bundleID`.
    bool operator==(const RevealTicket&) const = default;
};

// For logs: "RevealTicket(3・com.example.app)", "RevealTicket(4・lift)".
std::string toString(const RevealTicket& ticket);

} // namespace pellacor::system

template <> struct std::hash<pellacor::system::RevealTicket> {
    std::size_t operator()(const pellacor::system::RevealTicket& ticket) const noexcept;
};
