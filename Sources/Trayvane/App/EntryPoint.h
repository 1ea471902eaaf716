#pragma once

#include "Trayvane/App/AppDelegate.h"

#include <cstdint>
#include <functional>

namespace pellacor::app {

// The process's way into the program: it samples the modifier keys, makes the
// application delegate, makes the program an accessory application and runs
// the event loop until the application quits.
struct EntryPoint {
    EntryPoint() = delete;

    // Shift (0x20000) or Option (0x80000) held at launch starts the program
    // paused; Control and Command do not count.
    static constexpr std::uint64_t launchPauseMask = 0xA0000;

    static bool modifierHeld(std::uint64_t modifierFlags) { return (modifierFlags & launchPauseMask) != 0; }

    // Runs the program over `environment` in the running application (which
    // must exist): start-up once the event loop runs, termination when the
    // application quits (asked for by the program, or by whoever runs it).
    // Answers 0 once the loop has ended and the delegate is released.
    // `running` is told of the delegate once it is made, and of nothing once
    // it is released, for whoever runs the program to reach its actions.
    static int run(AppDelegate::Environment environment,
                   const std::function<void(AppDelegate*)>& running = {});
};

} // namespace pellacor::app
