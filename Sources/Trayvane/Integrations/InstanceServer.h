#pragma once

#include "Concurrency/MainExecutor.h"
#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "MenuBarCore/Integrations/MessageFrame.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <variant>

class QSocketNotifier;

namespace pellacor::app {

// The running program's side of the local socket the user's other processes
// reach it through. Whoever connects is treated as a stranger: only the same
// user is served (the peer's uid, besides the folder's and the socket's
// modes), a connection carries one message of at most `sizeLimit` bytes that
// must be whole within `readLimit`, its answer is given within `answerLimit`,
// and only so many connections are open at once. Anything else is closed with
// a log line, and the program goes on serving the next one. A connection over
// the limit is answered "busy" at once, so its caller knows to try again; the
// slots of peers that hung up are freed first. No thread of its own: the
// sockets are watched by the event loop and the limits are timers of the main
// executor.
class InstanceServer : public std::enable_shared_from_this<InstanceServer> {
public:
    struct Options {
        std::filesystem::path folder;
        std::chrono::nanoseconds readLimit = std::chrono::seconds(2);
        // Longer than the intent gate waits for the program (30 s), shorter
        // than the shortcuts tool waits for the answer (35 s).
        std::chrono::nanoseconds answerLimit = std::chrono::seconds(32);
        std::size_t sizeLimit = core::InstanceRequest::sizeLimit;
        std::size_t connectionLimit = 16;
        // The one user served; this process's user unless given.
        std::optional<uid_t> user;
    };
    // Sends the reply and closes the connection; later calls do nothing, and
    // so does a call after the connection or the server went. A handler that
    // lets go of every copy without calling it has the request answered
    // "not ready".
    using Respond = std::function<void(const core::InstanceReply&)>;
    using Handler = std::function<void(core::InstanceRequest, Respond)>;

    // Another process already holds the address: it is the instance.
    struct Taken {};
    using Claim = std::variant<std::shared_ptr<InstanceServer>, Taken, std::string>;

    // Becomes the instance at the folder (already prepared): takes its lock,
    // replaces whatever is at the socket's path (left by a previous instance,
    // or by another user while the folder was open), and listens. `Taken`
    // when another process holds the lock; the reason, with the path, when
    // the lock file is not the user's alone (InstanceAddress::distrust) or
    // listening fails. Needs no event loop: connections wait in the socket's
    // queue until `start`.
    static Claim claim(Options options);
    // Serves the connections from now on, on the executor's thread; once.
    void start(concurrency::MainExecutor& executor, Handler handler);

    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    const std::filesystem::path& socketPath() const { return socketPath_; }
    std::size_t openConnections() const { return connections_.size(); }

private:
    struct Connection;
    struct PendingAnswer;

    explicit InstanceServer(Options options);

    void accept();
    void turnAway(int fd);
    void freeHungUp();
    void read(std::uint64_t id);
    void answer(std::uint64_t id, core::InstanceRequest request);
    void drop(std::uint64_t id);
    void respond(std::uint64_t id, const core::InstanceReply& reply);

    concurrency::MainExecutor* executor_ = nullptr;
    Options options_;
    Handler handler_;
    std::filesystem::path socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<QSocketNotifier> listening_;
    std::map<std::uint64_t, std::unique_ptr<Connection>> connections_;
    std::uint64_t nextID_ = 1;
    // When the last connection was turned away: one log line per burst.
    std::optional<concurrency::Instant> lastTurnedAway_;
};

} // namespace pellacor::app
