#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace pellacor::platform {

// How an element of the simulated accessibility tree answers messages: how long
// each answer takes, and the attributes it answers with an error instead of a
// value. Answers slower than the asker's messaging time-out come back as
// `cannotComplete` once that time-out has passed.
struct SimulatedElementBehaviour {
    std::chrono::milliseconds latency{0};
    // Attribute name to the error code it answers with; 0 answers success without a value.
    std::map<std::string, std::int32_t> attributeErrors;

    bool operator==(const SimulatedElementBehaviour&) const = default;
};

} // namespace pellacor::platform
