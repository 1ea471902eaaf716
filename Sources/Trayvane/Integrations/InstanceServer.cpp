#include "Trayvane/Integrations/InstanceServer.h"

#include "MenuBarCore/Support/Log.h"
#include "Trayvane/Integrations/InstanceAddress.h"

#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pellacor::app {

using core::MessageFrame;

struct InstanceServer::Connection {
    int fd = -1;
    MessageFrame frame;
    std::unique_ptr<QSocketNotifier> notifier;
    concurrency::TimerId deadline = concurrency::TimerId::none;
    // The message came whole and waits for its reply.
    bool answering = false;

    Connection(int socket, std::size_t limit) : fd(socket), frame(limit) {}
    ~Connection() {
        notifier.reset();
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

namespace {

std::optional<sockaddr_un> addressOf(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

std::string failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

InstanceServer::InstanceServer(Options options)
    : options_(std::move(options)), socketPath_(InstanceAddress::socketPath(options_.folder)) {}

InstanceServer::Claim InstanceServer::claim(Options options) {
    std::shared_ptr<InstanceServer> server(new InstanceServer(std::move(options)));
    const auto lockPath = InstanceAddress::lockPath(server->options_.folder);
    // The lock decides between two processes that start together: only its
    // holder may remove an old socket and listen.
    server->lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (server->lockFd_ < 0) {
        return failure("cannot open " + lockPath.string());
    }
    if (::flock(server->lockFd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            return Taken{};
        }
        return failure("cannot lock " + lockPath.string());
    }
    const auto address = addressOf(server->socketPath_);
    if (!address) {
        return "the socket's path is too long: " + server->socketPath_.string();
    }
    // Left by an instance that ended without removing it.
    ::unlink(server->socketPath_.c_str());
    server->listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server->listenFd_ < 0) {
        return failure("cannot make a socket");
    }
    // Made without any permission for others, then opened to the user alone:
    // the folder already keeps everyone else out.
    const mode_t before = ::umask(0177);
    const int bound =
        ::bind(server->listenFd_, reinterpret_cast<const sockaddr*>(&*address), sizeof(sockaddr_un));
    ::umask(before);
    if (bound != 0) {
        return failure("cannot bind " + server->socketPath_.string());
    }
    if (::chmod(server->socketPath_.c_str(), 0600) != 0 || ::listen(server->listenFd_, 16) != 0) {
        return failure("cannot listen at " + server->socketPath_.string());
    }
    return server;
}

void InstanceServer::start(concurrency::MainExecutor& executor, Handler handler) {
    if (executor_ != nullptr) {
        return;
    }
    executor_ = &executor;
    handler_ = std::move(handler);
    listening_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    const std::weak_ptr<InstanceServer> weak = weak_from_this();
    QObject::connect(listening_.get(), &QSocketNotifier::activated, [weak] {
        if (const auto self = weak.lock()) {
            self->accept();
        }
    });
    // Whoever connected before the event loop ran is waiting already.
    accept();
}

InstanceServer::~InstanceServer() {
    for (auto& [id, connection] : connections_) {
        executor_->cancelTimer(connection->deadline);
    }
    connections_.clear();
    listening_.reset();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

void InstanceServer::accept() {
    const auto log = core::Log::app();
    // Every waiting connection at once: one turn of the loop may bring several.
    while (true) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        ucred peer{};
        socklen_t size = sizeof(peer);
        const uid_t user = options_.user.value_or(::geteuid());
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != user) {
            log.error("外からのつなぎを切りました（ほかの利用者 uid {} から）", peer.uid);
            ::close(fd);
            continue;
        }
        if (connections_.size() >= options_.connectionLimit) {
            log.error("外からのつなぎを切りました（同時に {} 本まで）", options_.connectionLimit);
            ::close(fd);
            continue;
        }
        const std::uint64_t id = nextID_++;
        auto connection = std::make_unique<Connection>(fd, options_.sizeLimit);
        connection->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        const std::weak_ptr<InstanceServer> weak = weak_from_this();
        QObject::connect(connection->notifier.get(), &QSocketNotifier::activated, [weak, id] {
            if (const auto self = weak.lock()) {
                self->read(id);
            }
        });
        connection->deadline = executor_->postAt(executor_->now() + options_.readLimit, [weak, id] {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            const auto found = self->connections_.find(id);
            if (found == self->connections_.end() || found->second->answering) {
                return;
            }
            found->second->deadline = concurrency::TimerId::none;
            core::Log::app().error("外からの知らせが {} 秒のうちに届かなかったので、つなぎを切りました",
                                   std::chrono::duration<double>(self->options_.readLimit).count());
            self->drop(id);
        });
        connections_.emplace(id, std::move(connection));
    }
}

void InstanceServer::read(std::uint64_t id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    Connection& connection = *found->second;
    char buffer[16384];
    while (connection.frame.state() == MessageFrame::State::incomplete) {
        const auto n = ::recv(connection.fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (n <= 0) {
            core::Log::app().error("外からの知らせが途中で切れました");
            drop(id);
            return;
        }
        connection.frame.append(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    if (connection.frame.state() == MessageFrame::State::tooLarge) {
        core::Log::app().error("外からの知らせが {} バイトを超えたので、つなぎを切りました",
                               options_.sizeLimit);
        drop(id);
        return;
    }
    // One message per connection: nothing after it is read.
    connection.notifier->setEnabled(false);
    connection.answering = true;
    executor_->cancelTimer(connection.deadline);
    connection.deadline = concurrency::TimerId::none;
    auto request = core::InstanceRequest::decode(connection.frame.message());
    if (!request) {
        core::Log::app().error("外からの知らせが読めませんでした（{} バイト）",
                               connection.frame.message().size());
        respond(id, core::InstanceReply::refusal());
        return;
    }
    const std::weak_ptr<InstanceServer> weak = weak_from_this();
    auto once = std::make_shared<bool>(false);
    handler_(std::move(*request), [weak, id, once](const core::InstanceReply& reply) {
        if (*once) {
            return;
        }
        *once = true;
        if (const auto self = weak.lock()) {
            self->respond(id, reply);
        }
    });
}

void InstanceServer::respond(std::uint64_t id, const core::InstanceReply& reply) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    const std::string message = reply.encoded() + "\n";
    std::size_t sent = 0;
    // A reply is small and the socket's buffer empty, so this does not wait;
    // a peer that reads nothing is given a moment, then left.
    while (sent < message.size()) {
        const auto n = ::send(found->second->fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd watched{found->second->fd, POLLOUT, 0};
            if (::poll(&watched, 1, 100) > 0) {
                continue;
            }
        }
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    drop(id);
}

void InstanceServer::drop(std::uint64_t id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    executor_->cancelTimer(found->second->deadline);
    // Destroyed on a later turn: this may run inside the notifier's own signal.
    auto connection = std::move(found->second);
    connections_.erase(found);
    connection->notifier->setEnabled(false);
    ::shutdown(connection->fd, SHUT_RDWR);
    executor_->post([gone = std::shared_ptr<Connection>(std::move(connection))] {});
}

} // namespace pellacor::app
