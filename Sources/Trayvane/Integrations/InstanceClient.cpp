#include "Trayvane/Integrations/InstanceClient.h"

#include "MenuBarCore/Integrations/MessageFrame.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pellacor::app {

using core::InstanceReply;
using Clock = std::chrono::steady_clock;

namespace {

// A socket connected to a program of this user, closed when it goes; or why
// there is none.
class Connection {
public:
    enum class Reached { program, nobody, stranger, busy };

    explicit Connection(const std::filesystem::path& socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = socket.string();
        if (path.size() >= sizeof(address.sun_path)) {
            return;
        }
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        // Not blocking: a program whose queue of waiting connections is full
        // turns the caller away at once instead of holding it there.
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ < 0) {
            return;
        }
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
            reached_ = errno == EAGAIN                     ? Reached::busy
                       : errno == EACCES || errno == EPERM ? Reached::stranger
                                                           : Reached::nobody;
            close();
            return;
        }
        // Whoever bound the socket may be another user who found the folder
        // open once: nothing goes to a listener that is not this user.
        ucred peer{};
        socklen_t size = sizeof(peer);
        if (::getsockopt(fd_, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid()) {
            reached_ = Reached::stranger;
            close();
            return;
        }
        reached_ = Reached::program;
    }
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Reached reached() const { return reached_; }
    int fd() const { return fd_; }

private:
    void close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    int fd_ = -1;
    Reached reached_ = Reached::nobody;
};

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
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
    switch (connection.reached()) {
    case Connection::Reached::program:
        break;
    case Connection::Reached::nobody:
        return Failure::noInstance;
    case Connection::Reached::stranger:
        return Failure::stranger;
    case Connection::Reached::busy:
        return Failure::busy;
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
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0) {
            // A program that turned us away has closed its end, and its
            // answer waits to be read.
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    core::MessageFrame frame(InstanceReply::sizeLimit);
    char buffer[4096];
    while (frame.state() == core::MessageFrame::State::incomplete) {
        if (!ready(connection.fd(), POLLIN, deadline)) {
            return Failure::timedOut;
        }
        const auto n = ::recv(connection.fd(), buffer, sizeof(buffer), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
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
    const auto reply = InstanceReply::decode(frame.message());
    if (!reply) {
        return Failure::broken;
    }
    if (reply->busy) {
        return Failure::busy;
    }
    return *reply;
}

InstanceClient::Result InstanceClient::askWaiting(const std::filesystem::path& socket,
                                                  const core::InstanceRequest& request,
                                                  std::chrono::milliseconds replyLimit,
                                                  const Patience& patience) {
    const auto deadline = patience.now() + patience.limit;
    while (true) {
        auto result = ask(socket, request, replyLimit);
        const auto* failure = std::get_if<Failure>(&result);
        const bool absent = failure && (*failure == Failure::noInstance || *failure == Failure::stranger);
        const bool again = failure && (*failure == Failure::busy || (absent && patience.waitForListener));
        const auto now = patience.now();
        if (!again || now >= deadline) {
            return result;
        }
        patience.sleep(
            std::min(patience.interval, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
    }
}

bool InstanceClient::isListening(const std::filesystem::path& socket) {
    return Connection(socket).reached() == Connection::Reached::program;
}

} // namespace pellacor::app
