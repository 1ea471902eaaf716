#pragma once

#include "MenuBarSystem/Pressing/PressCall.h"
#include "MenuBarSystem/Pressing/SystemItemLookup.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::system {

// Window numbers, as the window server hands them out.
using WindowNumbers = std::set<std::uint32_t>;

// The presser's window onto the system: the processes of an application, the
// on-screen windows of a process, the status items a process exposes through
// accessibility, pressing one, and whether one stands in the menu bar. Every
// call may block (accessibility messages, the window server), so the presser
// makes them on its own serial queue, one at a time, never on the main thread.
class PressAccessibility {
public:
    virtual ~PressAccessibility() = default;

    // Whether the process is trusted for accessibility; never asks the user.
    virtual bool isTrusted() = 0;
    // The processes of the running applications with this bundle identifier, in
    // the order the workspace lists them, leaving out those already ended.
    virtual std::vector<std::int32_t> pids(const std::string& bundleID) = 0;
    // The numbers of the process's on-screen windows; nothing when the window list
    // cannot be read. A process without on-screen windows has an empty set.
    virtual std::optional<WindowNumbers> windows(std::int32_t pid) = 0;
    // Whether the process's status item at `index` lies in the menu bar of an
    // active display; nothing when its frame cannot be read.
    virtual std::optional<bool> isPlaced(std::int32_t pid, int index) = 0;
    // Presses the first status item of the process with this accessibility identifier.
    virtual PressCall press(std::int32_t pid, const std::string& identifier, float timeout) = 0;
    // Presses the status item at `index`. `timeout` (seconds) bounds the press itself.
    virtual PressCall press(std::int32_t pid, int index, float timeout) = 0;
    // The position of the status item with this accessibility identifier.
    virtual SystemItemLookup lookup(std::int32_t pid, const std::string& identifier) = 0;

protected:
    PressAccessibility() = default;
    PressAccessibility(const PressAccessibility&) = default;
    PressAccessibility& operator=(const PressAccessibility&) = default;
};

} // namespace pellacor::system
