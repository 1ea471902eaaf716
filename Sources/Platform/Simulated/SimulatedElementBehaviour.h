#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pellacor::platform {

// How an element of the simulated accessibility tree answers messages: how long
// each answer takes, the attributes it answers with an error instead of a
// value, and the actions it offers and how performing them answers. Answers slower than the asker's messaging
// time-out come back as `cannotComplete` once that time-out has passed.
struct SimulatedElementBehaviour {
    std::chrono::milliseconds latency{0};
    // Attribute name to the error code it answers with; 0 answers success without a value.
    std::map<std::string, std::int32_t> attributeErrors;
    // The actions a status item's element offers; an application and its extras
    // menu bar offer none.
    std::vector<std::string> actions{"AXPress"};
    // Action name to the code performing it answers instead of success. The
    // cannot-complete code (-25204) still performs the action, as a slow
    // application does after its caller has stopped waiting.
    std::map<std::string, std::int32_t> actionErrors;
    // When not 0, asking for the element's action names fails with this code.
    std::int32_t actionNamesError = 0;

    bool operator==(const SimulatedElementBehaviour&) const = default;
};

} // namespace pellacor::platform
