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
#include <vector>

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
    // holder may remove an old socket and listen. A lock file someone else
    // may hold open is refused, not removed: removing it could let two
    // programs hold a lock at once.
    server->lockFd_ =
        ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (server->lockFd_ < 0) {
        if (errno == ELOOP) {
            return lockPath.string() + " is a link; remove it to start";
        }
        return failure("cannot open " + lockPath.string());
    }
    if (const auto problem = InstanceAddress::distrust(lockPath, server->lockFd_)) {
        return *problem + "; remove it to start";
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
    // Left by an instance that ended without removing it, or by another user
    // while the folder was open: replaced either way.
    ::unlink(server->socketPath_.c_str());
    server->listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server->listenFd_ < 0) {
        return failure("cannot make a socket");
    }
    // The socket's file takes the mode of the socket (less the umask) when it
    // is bound, so it is never open to others; the umask is the whole
    // process's and stays as it is. The folder keeps everyone else out as well.
    if (::fchmod(server->listenFd_, 0600) != 0 ||
        ::bind(server->listenFd_, reinterpret_cast<const sockaddr*>(&*address), sizeof(sockaddr_un)) != 0) {
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
            core::Log::app().error("外からのつなぎを切りました（ほかの利用者 uid {} から）", peer.uid);
            ::close(fd);
            continue;
        }
        if (connections_.size() >= options_.connectionLimit) {
            freeHungUp();
        }
        if (connections_.size() >= options_.connectionLimit) {
            turnAway(fd);
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

void InstanceServer::turnAway(int fd) {
    // Told so, that its caller may try again shortly; the line is short and
    // the new socket's buffer empty, so this does not wait.
    const std::string busy = core::InstanceReply::turnedAway().encoded() + "\n";
    [[maybe_unused]] const auto sent = ::send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
    ::close(fd);
    // A burst of callers is one line: until the turning away has paused for
    // as long as the read limit, the next ones are not logged again.
    const auto now = executor_->now();
    if (!lastTurnedAway_ || now - *lastTurnedAway_ >= options_.readLimit) {
        core::Log::app().error("外からのつなぎを断りました（同時に {} 本まで）", options_.connectionLimit);
    }
    lastTurnedAway_ = now;
}

void InstanceServer::freeHungUp() {
    // Peers that connected and went, before the event loop could tell us: a
    // burst of them must not keep the callers after them out.
    std::vector<std::uint64_t> gone;
    for (const auto& [id, connection] : connections_) {
        pollfd watched{connection->fd, POLLIN, 0};
        if (::poll(&watched, 1, 0) > 0 && (watched.revents & POLLHUP) != 0) {
            gone.push_back(id);
        }
    }
    for (const auto id : gone) {
        const auto found = connections_.find(id);
        if (found != connections_.end() && !found->second->answering) {
            // What it sent before it went is read (and answered) all the same.
            read(id);
        }
        drop(id);
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
            // One that goes without a word (asking whether anyone listens) is no fault.
            if (!connection.frame.message().empty()) {
                core::Log::app().error("外からの知らせが途中で切れました");
            }
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
    answer(id, std::move(*request));
}

// The one answer of a request: given by the handler, or "not ready" when the
// handler lets go of it unanswered (a task that ended without replying).
struct InstanceServer::PendingAnswer {
    std::weak_ptr<InstanceServer> server;
    std::uint64_t id = 0;
    bool given = false;

    void give(const core::InstanceReply& reply) {
        if (given) {
            return;
        }
        given = true;
        if (const auto self = server.lock()) {
            self->respond(id, reply);
        }
    }
    ~PendingAnswer() {
        const auto self = server.lock();
        if (given || !self || !self->connections_.contains(id)) {
            return;
        }
        core::Log::app().error("外からの知らせに答えないまま終わったので、できなかったと返しました");
        give(core::InstanceReply::failed(core::IntentProblem::Case::notReady));
    }
};

void InstanceServer::answer(std::uint64_t id, core::InstanceRequest request) {
    const std::weak_ptr<InstanceServer> weak = weak_from_this();
    // Answered in time or closed: a request whose answer never comes must
    // not keep its slot.
    connections_.at(id)->deadline = executor_->postAt(executor_->now() + options_.answerLimit, [weak, id] {
        const auto self = weak.lock();
        if (!self || !self->connections_.contains(id)) {
            return;
        }
        self->connections_.at(id)->deadline = concurrency::TimerId::none;
        core::Log::app().error("外からの知らせに {} 秒のうちに答えが出なかったので、つなぎを切りました",
                               std::chrono::duration<double>(self->options_.answerLimit).count());
        self->respond(id, core::InstanceReply::failed(core::IntentProblem::Case::notReady));
    });
    // Made in place: a moved-from copy would answer on its way out.
    const auto pending = std::make_shared<PendingAnswer>();
    pending->server = weak;
    pending->id = id;
    handler_(std::move(request), [pending](const core::InstanceReply& reply) { pending->give(reply); });
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
