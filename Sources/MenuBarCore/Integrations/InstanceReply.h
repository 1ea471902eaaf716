#pragma once

#include "MenuBarCore/Integrations/IntentProblem.h"
#include "MenuBarCore/Integrations/ProfileEntity.h"
#include "MenuBarCore/Support/Uuid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// The running program's answer to one request: done (with the profiles for a
// query), a problem the person is told about, or a refusal of a request it
// did not understand. One line of JSON.
struct InstanceReply {
    std::optional<IntentProblem::Case> problem;
    bool refused = false;
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

    bool isDone() const { return !problem && !refused; }

    std::string encoded() const;
    // Nothing for a line that is not a well-formed reply.
    static std::optional<InstanceReply> decode(std::string_view line);

    bool operator==(const InstanceReply&) const = default;
};

} // namespace pellacor::core
