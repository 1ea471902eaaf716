#pragma once

namespace pellacor::app {

// The help, About, feedback and update windows: none is built yet, so there
// is nothing to make or close; termination already takes them down in their
// place, first of all.
struct SupportWindows {
    void takeDown() {}
};

} // namespace pellacor::app
