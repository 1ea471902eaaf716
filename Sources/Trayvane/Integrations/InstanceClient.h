#pragma once

#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"

#include <chrono>
#include <filesystem>
#include <variant>

namespace pellacor::app {

// The side of another process that asks the running program: one request per
// connection, then its one reply. Plain blocking socket calls, each bounded in
// time: it is used before any event loop exists (by the program handing its
// URLs over) and by the shortcuts' command-line tool, which has none.
class InstanceClient {
public:
    enum class Failure {
        noInstance, // nobody listens at the address
        timedOut,   // the instance took too long to answer
        broken,     // the connection ended early, or the answer made no sense
    };
    using Result = std::variant<core::InstanceReply, Failure>;

    InstanceClient() = delete;

    // One request to the instance at `socket`, and its reply within `replyLimit`.
    static Result ask(const std::filesystem::path& socket, const core::InstanceRequest& request,
                      std::chrono::milliseconds replyLimit);
    // The same, waiting for an instance to listen: tried again every
    // `interval` while nobody does, until `waitLimit` has passed.
    static Result askWaiting(const std::filesystem::path& socket, const core::InstanceRequest& request,
                             std::chrono::milliseconds replyLimit, std::chrono::milliseconds waitLimit,
                             std::chrono::milliseconds interval);

    // Whether an instance listens at `socket` now.
    static bool isListening(const std::filesystem::path& socket);
};

} // namespace pellacor::app
