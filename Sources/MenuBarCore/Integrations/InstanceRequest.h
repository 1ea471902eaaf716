#pragma once

#include "MenuBarCore/Integrations/ExternalCommand.h"
#include "MenuBarCore/Support/Uuid.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellacor::core {

// What another process asks of the running program: the URLs the desktop
// delivered to it, a shortcut's action, or the profiles a shortcut offers.
// Sent as one line of JSON, at most `sizeLimit` bytes with its newline; every
// request that can be made fits, so the receiving side never cuts one off.
class InstanceRequest {
public:
    static constexpr std::size_t sizeLimit = std::size_t{64} * 1024;

    // URLs of the program's scheme, in the order they were given; `received`
    // says how many the process was given, which may be more than fitted.
    struct Open {
        std::vector<std::string> urls;
        std::size_t received = 0;
        bool operator==(const Open&) const = default;
    };
    // One of the five actions; `profile` for a switch, `all` for a reveal.
    struct Run {
        ExternalCommand::Case action = ExternalCommand::Case::collapse;
        bool all = false;
        std::optional<Uuid> profile;
        bool operator==(const Run&) const = default;
    };
    // The profiles: every one, those whose name contains `text`, or those with the `ids`.
    struct Profiles {
        enum class Mode { suggested, matching, identifiers };
        Mode mode = Mode::suggested;
        std::string text;
        std::vector<Uuid> ids;
        bool operator==(const Profiles&) const = default;
    };
    using Value = std::variant<Open, Run, Profiles>;

    // The URLs a process was given. As many as fit in one message are kept, in
    // order; a URL longer than any command may be is cut just past the
    // grammar's limit, so it is still refused as too long.
    static InstanceRequest open(const std::vector<std::string>& urls);
    static InstanceRequest run(ExternalCommand::Case action, bool all = false,
                               std::optional<Uuid> profile = std::nullopt);
    // Nothing when the text or the ids do not fit in one message.
    static std::optional<InstanceRequest> profiles(Profiles query);

    // The word for an action on the wire and on the command line ("reveal", "switchProfile", …).
    static std::string_view actionName(ExternalCommand::Case action);
    static std::optional<ExternalCommand::Case> action(std::string_view name);

    // One line without its newline; never longer than the limit allows.
    std::string encoded() const;
    // Nothing for a line that is not a well-formed request, or that holds a
    // NUL byte (the JSON reader would stop there and take the rest for junk
    // after a whole message).
    static std::optional<InstanceRequest> decode(std::string_view line);

    const Value& value() const { return value_; }
    bool operator==(const InstanceRequest&) const = default;

private:
    explicit InstanceRequest(Value value) : value_(std::move(value)) {}
    Value value_;
};

} // namespace pellacor::core
