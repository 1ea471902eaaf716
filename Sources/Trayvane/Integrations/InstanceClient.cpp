#include "Trayvane/Integrations/InstanceClient.h"

#include "MenuBarCore/Integrations/MessageFrame.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace pellacor::app {

using core::InstanceReply;
using Clock = std::chrono::steady_clock;

namespace {

// A connected socket, closed when it goes.
class Connection {
public:
    explicit Connection(const std::filesystem::path& socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = socket.string();
        if (path.size() >= sizeof(address.sun_path)) {
            return;
        }
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            return;
        }
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~Connection() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the socket to be ready for `events` until the deadline.
bool ready(int fd, short events, Clock::time_point deadline) {
    while (true) {
        pollfd watched{fd, events, 0};
        const int n = ::poll(&watched, 1, remainingMs(deadline));
        if (n > 0) {
            return true;
        }
        if (n == 0 || errno != EINTR) {
            return false;
        }
    }
}

} // namespace

InstanceClient::Result InstanceClient::ask(const std::filesystem::path& socket,
                                           const core::InstanceRequest& request,
                                           std::chrono::milliseconds replyLimit) {
    const Connection connection(socket);
    if (!connection.isOpen()) {
        return Failure::noInstance;
    }
    const auto deadline = Clock::now() + replyLimit;
    const std::string message = request.encoded() + "\n";
    std::size_t sent = 0;
    while (sent < message.size()) {
        if (!ready(connection.fd(), POLLOUT, deadline)) {
            return Failure::timedOut;
        }
        // MSG_NOSIGNAL: an instance that hangs up early is an answer, not a signal that ends us.
        const auto n = ::send(connection.fd(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return Failure::broken;
        }
        sent += static_cast<std::size_t>(n);
    }
    core::MessageFrame frame(core::InstanceRequest::sizeLimit);
    char buffer[4096];
    while (frame.state() == core::MessageFrame::State::incomplete) {
        if (!ready(connection.fd(), POLLIN, deadline)) {
            return Failure::timedOut;
        }
        const auto n = ::recv(connection.fd(), buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Failure::broken;
        }
        frame.append(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (frame.state() != core::MessageFrame::State::complete) {
        return Failure::broken;
    }
    if (auto reply = InstanceReply::decode(frame.message())) {
        return *reply;
    }
    return Failure::broken;
}

InstanceClient::Result InstanceClient::askWaiting(const std::filesystem::path& socket,
                                                  const core::InstanceRequest& request,
                                                  std::chrono::milliseconds replyLimit,
                                                  std::chrono::milliseconds waitLimit,
                                                  std::chrono::milliseconds interval) {
    const auto deadline = Clock::now() + waitLimit;
    while (true) {
        auto result = ask(socket, request, replyLimit);
        const auto* failure = std::get_if<Failure>(&result);
        if (!failure || *failure != Failure::noInstance || Clock::now() >= deadline) {
            return result;
        }
        std::this_thread::sleep_for(interval);
    }
}

bool InstanceClient::isListening(const std::filesystem::path& socket) {
    return Connection(socket).isOpen();
}

} // namespace pellacor::app
