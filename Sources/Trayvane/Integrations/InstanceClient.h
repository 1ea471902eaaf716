#pragma once

#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <variant>

namespace pellacor::app {

// The side of another process that asks the running program: one request per
// connection, then its one reply. Plain blocking socket calls, each bounded in
// time: it is used before any event loop exists (by the program handing its
// URLs over) and by the shortcuts' command-line tool, which has none. It
// talks only to a program of its own user: the uid of whoever listens is
// checked on the connected socket before anything is sent.
class InstanceClient {
public:
    enum class Failure {
        noInstance, // nobody listens at the address
        stranger,   // another user listens there; nothing was sent
        busy,       // the program turned the connection away: too many are open
        timedOut,   // the instance took too long to answer
        broken,     // the connection ended early, or the answer made no sense
    };
    using Result = std::variant<core::InstanceReply, Failure>;

    // How long a caller keeps trying, and the clock and sleep it waits with.
    // A caller turned away as busy always tries again within the limit; one
    // that finds nobody of its user listening does so only when
    // `waitForListener` is set.
    struct Patience {
        using Clock = std::chrono::steady_clock;

        std::chrono::milliseconds limit{0};
        std::chrono::milliseconds interval{100};
        bool waitForListener = true;
        std::function<Clock::time_point()> now = [] { return Clock::now(); };
        std::function<void(std::chrono::milliseconds)> sleep = [](std::chrono::milliseconds pause) {
            std::this_thread::sleep_for(pause);
        };
    };

    InstanceClient() = delete;

    // One request to the instance at `socket`, and its reply within `replyLimit`.
    static Result ask(const std::filesystem::path& socket, const core::InstanceRequest& request,
                      std::chrono::milliseconds replyLimit);
    // The same, tried again every `patience.interval` while it is turned away
    // (or, when it waits for one, while no program listens) until the limit
    // has passed; then the last failure.
    static Result askWaiting(const std::filesystem::path& socket, const core::InstanceRequest& request,
                             std::chrono::milliseconds replyLimit, const Patience& patience);

    // Whether a program of this user listens at `socket` now.
    static bool isListening(const std::filesystem::path& socket);
};

} // namespace pellacor::app
