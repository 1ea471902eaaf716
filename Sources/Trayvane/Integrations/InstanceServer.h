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
// must be whole within `readLimit`, and only so many connections are open at
// once. Anything else is closed with a log line, and the program goes on
// serving the next one. No thread of its own: the sockets are watched by the
// event loop and the read limit is a timer of the main executor.
class InstanceServer : public std::enable_shared_from_this<InstanceServer> {
public:
    struct Options {
        std::filesystem::path folder;
        std::chrono::nanoseconds readLimit = std::chrono::seconds(2);
        std::size_t sizeLimit = core::InstanceRequest::sizeLimit;
        std::size_t connectionLimit = 16;
        // The one user served; this process's user unless given.
        std::optional<uid_t> user;
    };
    // Sends the reply and closes the connection; later calls do nothing, and
    // so does a call after the connection or the server went.
    using Respond = std::function<void(const core::InstanceReply&)>;
    using Handler = std::function<void(core::InstanceRequest, Respond)>;

    // Another process already holds the address: it is the instance.
    struct Taken {};
    using Claim = std::variant<std::shared_ptr<InstanceServer>, Taken, std::string>;

    // Becomes the instance at the folder (already prepared): takes its lock,
    // removes a socket a previous instance left, and listens. `Taken` when
    // another process holds the lock; the reason when listening fails. Needs
    // no event loop: connections wait in the socket's queue until `start`.
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

    explicit InstanceServer(Options options);

    void accept();
    void read(std::uint64_t id);
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
};

} // namespace pellacor::app
