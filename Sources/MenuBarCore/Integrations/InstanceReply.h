#pragma once

#include "MenuBarCore/Integrations/IntentProblem.h"
#include "MenuBarCore/Integrations/ProfileEntity.h"
#include "MenuBarCore/Support/Uuid.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The running program's answer to one request: done (with the profiles for a
// query), a problem the person is told about, a refusal of a request it did
// not understand, or "busy" for a connection turned away before its request
// was read. One line of JSON, at most `sizeLimit` bytes with its newline.
struct InstanceReply {
    static constexpr std::size_t sizeLimit = std::size_t{64} * 1024;

    std::optional<IntentProblem::Case> problem;
    bool refused = false;
    bool busy = false;
    // For a profile query: the profiles in choice order, and the active one.
    std::optional<std::vector<ProfileEntity>> profiles;
    std::optional<Uuid> activeProfile;

    static InstanceReply done() { return {}; }
    static InstanceReply failed(IntentProblem::Case why) {
        InstanceReply reply;
        reply.problem = why;
        return reply;
    }
    static InstanceReply refusal() {
        InstanceReply reply;
        reply.refused = true;
        return reply;
    }

    static InstanceReply turnedAway() {
        InstanceReply reply;
        reply.busy = true;
        return reply;
    }

    bool isDone() const { return !problem && !refused && !busy; }

    // One line without its newline, within the limit: the profiles are kept
    // in order as far as they fit, the rest left out.
    std::string encoded() const;
    // Nothing for a line that is not a well-formed reply, or that holds a NUL byte.
    static std::optional<InstanceReply> decode(std::string_view line);

    bool operator==(const InstanceReply&) const = default;
};

} // namespace pellacor::core
