#include "Trayvane/Integrations/InstanceServer.h"

#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Trayvane/Integrations/InstanceAddress.h"
#include "Trayvane/Integrations/InstanceClient.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::InstanceAddress;
using app::InstanceClient;
using app::InstanceServer;
using core::ExternalCommand;
using core::InstanceReply;
using core::InstanceRequest;
using core::IntentProblem;
using Mode = InstanceRequest::Profiles::Mode;

namespace {

// Another process's end of the socket, driven by hand and never blocking, so
// the test's own thread can serve it: whatever it waits for, the server's
// event loop turns meanwhile.
class RawClient {
public:
    explicit RawClient(const std::filesystem::path& socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof(address.sun_path) - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    // Sends what the socket takes now; false once the server has hung up.
    bool send(std::string_view bytes, std::size_t* sent = nullptr) {
        const auto n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            return errno == EAGAIN;
        }
        if (sent != nullptr) {
            *sent = static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads what has come; false once the server has closed its end.
    bool receive() {
        char buffer[4096];
        while (true) {
            const auto n = ::recv(fd_, buffer, sizeof(buffer), 0);
            if (n > 0) {
                received_.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                return true;
            }
            closed_ = true;
            return false;
        }
    }
    std::optional<InstanceReply> reply() const {
        const auto newline = received_.find('\n');
        if (newline == std::string::npos) {
            return std::nullopt;
        }
        return InstanceReply::decode(std::string_view(received_).substr(0, newline));
    }
    bool closed() const { return closed_; }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

// A listener of another user (uid 65534) at the socket's path, holding a
// lock file next to it, as one could leave them while the folder was open. It
// answers "done" to whatever comes and tells, when stopped, how many bytes it
// was sent. The child does nothing but system calls: it is forked from a
// process with threads.
class Stranger {
public:
    static constexpr uid_t uid = 65534;

    explicit Stranger(const std::filesystem::path& folder)
        : socket_(InstanceAddress::socketPath(folder).string()),
          lock_(InstanceAddress::lockPath(folder).string()) {
        int ready[2];
        int stop[2];
        int report[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(stop, O_CLOEXEC) != 0 ||
            ::pipe2(report, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // The child's copy of the test's end would keep "stop" from ever coming.
            ::close(ready[0]);
            ::close(stop[1]);
            ::close(report[0]);
            serve(ready[1], stop[0], report[1]);
        }
        ::close(ready[1]);
        ::close(stop[0]);
        ::close(report[1]);
        stop_ = stop[1];
        report_ = report[0];
        char byte = 0;
        ready_ = pid_ > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~Stranger() { stop(); }
    Stranger(const Stranger&) = delete;
    Stranger& operator=(const Stranger&) = delete;

    bool ready() const { return ready_; }
    // Ends it; the bytes it was sent (or SIZE_MAX when it did not tell).
    std::size_t stop() {
        if (pid_ <= 0) {
            return SIZE_MAX;
        }
        ::close(stop_);
        std::size_t received = SIZE_MAX;
        if (::read(report_, &received, sizeof(received)) != sizeof(received)) {
            received = SIZE_MAX;
        }
        ::close(report_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return received;
    }

private:
    [[noreturn]] void serve(int ready, int stop, int report) const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket_.c_str(), sizeof(address.sun_path) - 1);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0 ||
            ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener, 16) != 0) {
            ::_exit(2);
        }
        const int lock = ::open(lock_.c_str(), O_RDWR | O_CREAT, 0644);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
            ::_exit(3);
        }
        (void)!::write(ready, "1", 1);
        std::size_t received = 0;
        while (true) {
            pollfd watched[2] = {{listener, POLLIN, 0}, {stop, POLLIN, 0}};
            if (::poll(watched, 2, -1) < 0 || watched[1].revents != 0) {
                break;
            }
            const int caller = ::accept(listener, nullptr, nullptr);
            if (caller < 0) {
                continue;
            }
            char buffer[4096];
            pollfd incoming{caller, POLLIN, 0};
            while (::poll(&incoming, 1, 200) > 0) {
                const auto n = ::recv(caller, buffer, sizeof(buffer), 0);
                if (n <= 0) {
                    break;
                }
                received += static_cast<std::size_t>(n);
            }
            const char done[] = "{\"ok\": true}\n";
            (void)!::send(caller, done, sizeof(done) - 1, MSG_NOSIGNAL);
            ::close(caller);
        }
        (void)!::write(report, &received, sizeof(received));
        ::_exit(0);
    }

    std::string socket_;
    std::string lock_;
    pid_t pid_ = -1;
    int stop_ = -1;
    int report_ = -1;
    bool ready_ = false;
};

struct InstanceServerTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    pellacor::testing::LogCapture log;
    concurrency::ManualExecutor executor;
    std::filesystem::path folder = dir / "run/pellacor";
    std::vector<InstanceRequest> handled;
    std::vector<InstanceServer::Respond> held;
    std::shared_ptr<InstanceServer> server;

    void SetUp() override {
        pellacor::testing::offscreenApplication();
        ASSERT_EQ(InstanceAddress::prepare(folder), std::nullopt);
    }

    void serve(InstanceServer::Options options = {}) {
        options.folder = folder;
        auto claim = InstanceServer::claim(std::move(options));
        ASSERT_TRUE(std::holds_alternative<std::shared_ptr<InstanceServer>>(claim));
        server = std::get<std::shared_ptr<InstanceServer>>(claim);
        // A pause is held unanswered (as a run waits for the program), a
        // reveal's answer let go of (as a task that ends without one).
        server->start(executor, [this](InstanceRequest request, const InstanceServer::Respond& respond) {
            handled.push_back(request);
            const auto* run = std::get_if<InstanceRequest::Run>(&request.value());
            if (run && run->action == ExternalCommand::Case::pause) {
                held.push_back(respond);
                return;
            }
            if (run && run->action == ExternalCommand::Case::reveal) {
                return;
            }
            respond(run && run->action == ExternalCommand::Case::resume
                        ? InstanceReply::failed(IntentProblem::Case::resumeNeedsUser)
                        : InstanceReply::done());
        });
    }

    // Turns the event loop (in real time, briefly) until the condition holds.
    bool pump(const std::function<bool()>& condition, std::chrono::milliseconds limit = 3s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            executor.runUntilIdle();
            if (condition()) {
                return true;
            }
        }
        return false;
    }
    // One whole exchange from a fresh client.
    std::optional<InstanceReply> exchange(const InstanceRequest& request) {
        RawClient client(server->socketPath());
        EXPECT_TRUE(client.connected());
        client.send(request.encoded() + "\n");
        pump([&] { return !client.receive(); });
        return client.reply();
    }
    bool logged(const std::string& fragment) const { return !log.matching(fragment).empty(); }
    // The blocking client on a thread of its own, while this one serves.
    InstanceClient::Result askFromAnotherThread(const std::function<InstanceClient::Result()>& ask) {
        std::atomic<bool> done = false;
        InstanceClient::Result result = InstanceClient::Failure::broken;
        std::thread other([&] {
            result = ask();
            done = true;
        });
        pump([&] { return done.load(); }, 20s);
        other.join();
        return result;
    }
};

// A clock and a sleep for the waiting client: the sleep only moves the clock,
// so a wait of seconds passes at once. With `stepped`, each sleep also waits
// until the test's thread has let that many go (`released`), so the test
// decides what the server does between two tries.
struct VirtualWaits {
    std::atomic<std::int64_t> elapsedMs = 0;
    std::atomic<int> sleeps = 0;
    std::atomic<int> released = 0;
    bool stepped = false;

    InstanceClient::Patience patience(std::chrono::milliseconds limit, std::chrono::milliseconds interval,
                                      bool waitForListener = true) {
        InstanceClient::Patience patience;
        patience.limit = limit;
        patience.interval = interval;
        patience.waitForListener = waitForListener;
        patience.now = [this] {
            return InstanceClient::Patience::Clock::time_point(std::chrono::milliseconds(elapsedMs.load()));
        };
        patience.sleep = [this](std::chrono::milliseconds pause) {
            elapsedMs += pause.count();
            const int count = ++sleeps;
            while (stepped && released < count) {
                std::this_thread::sleep_for(1ms);
            }
        };
        return patience;
    }
};

TEST_F(InstanceServerTest, OneMessagePerConnectionForTheSameUserOnly) {
    serve();
    struct stat facts {};
    ASSERT_EQ(::stat(server->socketPath().c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0600U);
    ASSERT_EQ(::stat(folder.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700U);

    {
        // A second message on the same connection is never read.
        RawClient client(server->socketPath());
        const auto collapse = InstanceRequest::run(ExternalCommand::Case::collapse);
        client.send(collapse.encoded() + "\n" + InstanceRequest::run(ExternalCommand::Case::pause).encoded() +
                    "\n");
        ASSERT_TRUE(pump([&] { return !client.receive(); }));
        EXPECT_EQ(client.reply(), InstanceReply::done());
        EXPECT_EQ(handled, std::vector<InstanceRequest>{collapse});
    }
    EXPECT_EQ(exchange(InstanceRequest::run(ExternalCommand::Case::resume)),
              InstanceReply::failed(IntentProblem::Case::resumeNeedsUser));
    EXPECT_EQ(exchange(InstanceRequest::open({"pellacor://reveal"})), InstanceReply::done());
    EXPECT_EQ(handled.size(), 3U);
}

TEST_F(InstanceServerTest, AnotherUserIsTurnedAwayBeforeAnythingIsRead) {
    InstanceServer::Options options;
    options.user = ::geteuid() + 1;
    serve(options);
    RawClient client(server->socketPath());
    client.send(InstanceRequest::run(ExternalCommand::Case::collapse).encoded() + "\n");
    ASSERT_TRUE(pump([&] { return !client.receive(); }));
    EXPECT_FALSE(client.reply());
    EXPECT_TRUE(handled.empty());
    EXPECT_TRUE(logged("ほかの利用者"));
}

TEST_F(InstanceServerTest, HostileClientsAreDroppedAndTheNextIsServed) {
    serve();
    const auto next = InstanceRequest::run(ExternalCommand::Case::collapse);

    {
        // Ten megabytes without a newline: cut off at the limit.
        RawClient flood(server->socketPath());
        const std::string chunk(std::size_t{64} * 1024, 'x');
        std::size_t total = 0;
        bool open = true;
        pump([&] {
            std::size_t sent = 0;
            open = open && flood.send(chunk, &sent);
            total += sent;
            return !open || total >= std::size_t{10} * 1024 * 1024;
        });
        EXPECT_FALSE(open);
        EXPECT_LT(total, std::size_t{10} * 1024 * 1024);
        EXPECT_TRUE(logged("65536 バイトを超えた"));
        EXPECT_EQ(exchange(next), InstanceReply::done());
    }
    {
        // Never finishing: cut off once the read limit has passed, not before.
        RawClient slow(server->socketPath());
        slow.send(R"({"run": "coll)");
        pump([&] { return server->openConnections() == 1; });
        executor.advanceBy(1999ms);
        EXPECT_FALSE(pump([&] { return !slow.receive(); }, 20ms));
        executor.advanceBy(1ms);
        EXPECT_TRUE(pump([&] { return !slow.receive(); }));
        EXPECT_TRUE(logged("2 秒のうちに届かなかった"));
        EXPECT_EQ(exchange(next), InstanceReply::done());
    }
    {
        // Nonsense is answered as refused; a hang-up halfway is only logged.
        RawClient nonsense(server->socketPath());
        nonsense.send("{\"run\": 42}\n");
        pump([&] { return !nonsense.receive(); });
        EXPECT_EQ(nonsense.reply(), InstanceReply::refusal());
        EXPECT_TRUE(logged("読めませんでした"));
        {
            RawClient gone(server->socketPath());
            gone.send("{\"run\"");
        }
        EXPECT_TRUE(pump([&] { return logged("途中で切れました"); }));
    }
    EXPECT_EQ(handled, (std::vector<InstanceRequest>{next, next}));
    EXPECT_EQ(exchange(next), InstanceReply::done());
}

TEST_F(InstanceServerTest, OnlySoManyConnectionsAreOpenAtOnce) {
    InstanceServer::Options options;
    options.connectionLimit = 2;
    serve(options);
    RawClient first(server->socketPath());
    RawClient second(server->socketPath());
    pump([&] { return server->openConnections() == 2; });
    RawClient third(server->socketPath());
    EXPECT_TRUE(pump([&] { return !third.receive(); }));
    EXPECT_EQ(third.reply(), InstanceReply::turnedAway());
    EXPECT_TRUE(logged("同時に 2 本まで"));
    EXPECT_EQ(server->openConnections(), 2U);
}

TEST_F(InstanceServerTest, ACallerTurnedAwayTriesAgainWithinItsTimeAndIsToldWhenItStaysBusy) {
    InstanceServer::Options options;
    options.connectionLimit = 1;
    serve(options);
    const auto socket = server->socketPath();
    const auto collapse = InstanceRequest::run(ExternalCommand::Case::collapse);
    // The one slot is taken by a run that waits for the program.
    RawClient waiting(socket);
    waiting.send(InstanceRequest::run(ExternalCommand::Case::pause).encoded() + "\n");
    ASSERT_TRUE(pump([&] { return held.size() == 1; }));

    // Turned away three times, then the slot is free: the fourth try is served.
    VirtualWaits waits;
    waits.stepped = true;
    std::atomic<bool> done = false;
    InstanceClient::Result result = InstanceClient::Failure::broken;
    std::thread caller([&] {
        result = InstanceClient::askWaiting(socket, collapse, 5s, waits.patience(10s, 100ms, false));
        done = true;
    });
    for (int turn = 1; turn <= 3; ++turn) {
        pump([&] { return waits.sleeps >= turn || done; }, 20s);
        if (turn == 3) {
            held.front()(InstanceReply::done());
        }
        waits.released = turn;
    }
    pump([&] { return done.load(); }, 20s);
    waits.released = INT_MAX;
    caller.join();
    EXPECT_EQ(waits.sleeps, 3);
    EXPECT_EQ(result, InstanceClient::Result(InstanceReply::done()));
    EXPECT_EQ(handled.back(), collapse);
    // A burst of turned-away callers is one line.
    EXPECT_EQ(log.matching("同時に 1 本まで").size(), 1U);

    // Busy for the whole wait: the caller says so, and is never cut short.
    RawClient again(socket);
    again.send(InstanceRequest::run(ExternalCommand::Case::pause).encoded() + "\n");
    ASSERT_TRUE(pump([&] { return held.size() == 2; }));
    VirtualWaits longer;
    EXPECT_EQ(askFromAnotherThread([&] {
                  return InstanceClient::askWaiting(socket, collapse, 5s, longer.patience(2s, 500ms, false));
              }),
              InstanceClient::Result(InstanceClient::Failure::busy));
    EXPECT_EQ(longer.elapsedMs, 2000);
    // The burst went on without a pause of the read limit: still one line.
    EXPECT_EQ(log.matching("同時に 1 本まで").size(), 1U);
    executor.advanceBy(2s);
    RawClient later(socket);
    EXPECT_TRUE(pump([&] { return !later.receive(); }));
    EXPECT_EQ(log.matching("同時に 1 本まで").size(), 2U);
}

TEST_F(InstanceServerTest, PeersThatHungUpGiveTheirSlotsToTheCallersAfterThem) {
    InstanceServer::Options options;
    options.connectionLimit = 2;
    serve(options);
    const auto pause = InstanceRequest::run(ExternalCommand::Case::pause);
    {
        // Two runs waiting for the program, whose callers gave up.
        RawClient first(server->socketPath());
        RawClient second(server->socketPath());
        first.send(pause.encoded() + "\n");
        second.send(pause.encoded() + "\n");
        ASSERT_TRUE(pump([&] { return held.size() == 2; }));
    }
    // A burst of callers that connect and go before the program's next turn,
    // one of them leaving a whole request behind.
    const auto collapse = InstanceRequest::run(ExternalCommand::Case::collapse);
    for (int i = 0; i < 10; ++i) {
        RawClient quick(server->socketPath());
        if (i == 5) {
            quick.send(collapse.encoded() + "\n");
        }
    }
    EXPECT_EQ(exchange(InstanceRequest::run(ExternalCommand::Case::resume)),
              InstanceReply::failed(IntentProblem::Case::resumeNeedsUser));
    EXPECT_EQ(std::count(handled.begin(), handled.end(), collapse), 1);
    EXPECT_FALSE(logged("同時に"));
    // Going without a word is no fault to log.
    EXPECT_FALSE(logged("途中で切れました"));
    EXPECT_TRUE(pump([&] { return server->openConnections() == 0; }));
}

TEST_F(InstanceServerTest, ARequestBeingAnsweredHasADeadlineAndAnAnswerEvenWhenItsTaskEnds) {
    serve();
    // A run the program never answers: "not ready" once the answer limit has passed.
    RawClient waiting(server->socketPath());
    waiting.send(InstanceRequest::run(ExternalCommand::Case::pause).encoded() + "\n");
    ASSERT_TRUE(pump([&] { return held.size() == 1; }));
    executor.advanceBy(32s - 1ms);
    EXPECT_FALSE(pump([&] { return !waiting.receive(); }, 20ms));
    executor.advanceBy(1ms);
    EXPECT_TRUE(pump([&] { return !waiting.receive(); }));
    EXPECT_EQ(waiting.reply(), InstanceReply::failed(IntentProblem::Case::notReady));
    EXPECT_TRUE(logged("32 秒のうちに答えが出なかった"));
    // Answering later does nothing.
    held.front()(InstanceReply::done());

    // A handler that lets go of its answer: the caller is told at once.
    EXPECT_EQ(exchange(InstanceRequest::run(ExternalCommand::Case::reveal)),
              InstanceReply::failed(IntentProblem::Case::notReady));
    EXPECT_TRUE(logged("答えないまま終わった"));
    EXPECT_TRUE(pump([&] { return server->openConnections() == 0; }));
}

TEST_F(InstanceServerTest, ListeningLeavesTheProcesssUmaskAlone) {
    // The umask is the whole process's: another thread making a file while a
    // socket is bound must find it as it was. Read without changing it.
    const auto umaskNow = []() -> std::optional<unsigned> {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("Umask:")) {
                return static_cast<unsigned>(std::stoul(line.substr(6), nullptr, 8));
            }
        }
        return std::nullopt;
    };
    const auto before = umaskNow();
    if (!before) {
        GTEST_SKIP() << "skipped: this kernel does not show the umask in /proc/self/status";
    }
    std::atomic<bool> stop = false;
    std::atomic<bool> changed = false;
    std::thread watcher([&] {
        while (!stop && !changed) {
            if (umaskNow() != before) {
                changed = true;
            }
        }
    });
    InstanceServer::Options options;
    options.folder = folder;
    for (int i = 0; i < 500 && !changed; ++i) {
        ASSERT_TRUE(std::holds_alternative<std::shared_ptr<InstanceServer>>(InstanceServer::claim(options)));
    }
    stop = true;
    watcher.join();
    EXPECT_FALSE(changed) << "the umask changed while the socket was bound";
}

TEST_F(InstanceServerTest, ALockFileThatIsNotTheUsersAloneIsRefusedWithItsPathAndWhy) {
    const auto lock = InstanceAddress::lockPath(folder).string();
    InstanceServer::Options options;
    options.folder = folder;
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string problem;
        bool needsRoot = false;
    };
    const std::vector<Case> cases = {
        // Anyone may have opened it, and may hold it still.
        {"open to others",
         [&] {
             ::close(::open(lock.c_str(), O_CREAT | O_WRONLY, 0644));
             ::chmod(lock.c_str(), 0644);
         },
         lock + " is open to other users (mode 0644); remove it to start"},
        {"a link", [&] { std::filesystem::create_symlink(dir / "elsewhere", lock); },
         lock + " is a link; remove it to start"},
        {"a pipe", [&] { ::mkfifo(lock.c_str(), 0600); }, lock + " is not a file; remove it to start"},
        {"another user's",
         [&] {
             ::close(::open(lock.c_str(), O_CREAT | O_WRONLY, 0600));
             [[maybe_unused]] const int changed = ::chown(lock.c_str(), 65534, 65534);
         },
         lock + " belongs to another user (uid 65534); remove it to start", true},
    };
    for (const auto& c : cases) {
        if (c.needsRoot && ::geteuid() != 0) {
            std::cout << "skipped the case \"" << c.name << "\": it needs root to give a file to uid 65534\n";
            continue;
        }
        c.make();
        const auto claim = InstanceServer::claim(options);
        const auto* problem = std::get_if<std::string>(&claim);
        ASSERT_TRUE(problem) << c.name;
        EXPECT_EQ(*problem, c.problem) << c.name;
        EXPECT_FALSE(std::filesystem::exists(InstanceAddress::socketPath(folder))) << c.name;
        std::filesystem::remove(lock);
    }
    // The user's own, left by a program that ended: taken again.
    ::close(::open(lock.c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_TRUE(std::holds_alternative<std::shared_ptr<InstanceServer>>(InstanceServer::claim(options)));
}

TEST_F(InstanceServerTest, AnotherUsersListenerHearsNothingAndTheProgramTakesTheSocket) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "skipped: a listener of another user needs root to switch to uid 65534";
    }
    // The folder was open once, and another user left a listener and a held
    // lock file in it.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                                 std::filesystem::perms::group_exec |
                                                 std::filesystem::perms::others_exec);
    std::filesystem::permissions(folder, std::filesystem::perms::all);
    Stranger stranger(folder);
    ASSERT_TRUE(stranger.ready()) << "the listener of uid 65534 did not start";
    const auto socket = InstanceAddress::socketPath(folder);

    // What a hand-over or a shortcut would say goes nowhere.
    EXPECT_EQ(InstanceClient::ask(socket, InstanceRequest::open({"pellacor://profile?name=Work"}), 2s),
              InstanceClient::Result(InstanceClient::Failure::stranger));
    EXPECT_EQ(InstanceClient::ask(socket, *InstanceRequest::profiles({Mode::suggested, {}, {}}), 2s),
              InstanceClient::Result(InstanceClient::Failure::stranger));
    EXPECT_FALSE(InstanceClient::isListening(socket));

    // The folder is closed again; the other user's lock is refused at once,
    // with its path and why.
    ASSERT_EQ(InstanceAddress::prepare(folder), std::nullopt);
    struct stat facts {};
    ASSERT_EQ(::stat(folder.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700U);
    InstanceServer::Options options;
    options.folder = folder;
    const auto claim = InstanceServer::claim(options);
    ASSERT_TRUE(std::holds_alternative<std::string>(claim));
    EXPECT_EQ(std::get<std::string>(claim), InstanceAddress::lockPath(folder).string() +
                                                " belongs to another user (uid 65534); remove it to start");

    // Once it is gone, the program replaces the other user's socket with its own.
    std::filesystem::remove(InstanceAddress::lockPath(folder));
    serve();
    EXPECT_EQ(exchange(InstanceRequest::run(ExternalCommand::Case::collapse)), InstanceReply::done());
    EXPECT_EQ(stranger.stop(), 0U) << "the other user was sent something";
}

TEST_F(InstanceServerTest, OneInstanceHoldsTheAddressAndALeftSocketIsReplaced) {
    // A socket file left by an instance that did not end cleanly.
    ASSERT_TRUE(dir.write("run/pellacor/instance.sock", "stale").string().size() > 0);
    serve();
    InstanceServer::Options options;
    options.folder = folder;
    EXPECT_TRUE(std::holds_alternative<InstanceServer::Taken>(InstanceServer::claim(options)));
    EXPECT_TRUE(InstanceClient::isListening(server->socketPath()));

    server.reset();
    EXPECT_FALSE(std::filesystem::exists(InstanceAddress::socketPath(folder)));
    EXPECT_FALSE(InstanceClient::isListening(InstanceAddress::socketPath(folder)));
    EXPECT_TRUE(std::holds_alternative<std::shared_ptr<InstanceServer>>(InstanceServer::claim(options)));
}

TEST_F(InstanceServerTest, TheBlockingClientGetsItsReplyOrSaysWhyNot) {
    const auto socket = InstanceAddress::socketPath(folder);
    const auto resume = InstanceRequest::run(ExternalCommand::Case::resume);
    EXPECT_EQ(InstanceClient::ask(socket, resume, 100ms),
              InstanceClient::Result(InstanceClient::Failure::noInstance));

    serve();
    std::atomic<bool> done = false;
    InstanceClient::Result result = InstanceClient::Failure::broken;
    std::thread other([&] {
        result = InstanceClient::ask(socket, resume, 5s);
        done = true;
    });
    pump([&] { return done.load(); });
    other.join();
    EXPECT_EQ(result, InstanceClient::Result(InstanceReply::failed(IntentProblem::Case::resumeNeedsUser)));

    // An instance that takes the message but never answers.
    InstanceServer::Options options;
    options.folder = dir / "silent";
    ASSERT_EQ(InstanceAddress::prepare(options.folder), std::nullopt);
    auto silent = std::get<std::shared_ptr<InstanceServer>>(InstanceServer::claim(options));
    // It keeps the answer, so it is neither given nor let go of.
    silent->start(executor,
                  [this](InstanceRequest, InstanceServer::Respond respond) { held.push_back(respond); });
    done = false;
    std::thread waiting([&] {
        result = InstanceClient::ask(silent->socketPath(), resume, 50ms);
        done = true;
    });
    pump([&] { return done.load(); });
    waiting.join();
    EXPECT_EQ(result, InstanceClient::Result(InstanceClient::Failure::timedOut));
}

TEST_F(InstanceServerTest, TheWaitingClientTriesAgainUntilAProgramListens) {
    const auto socket = InstanceAddress::socketPath(folder);
    const auto collapse = InstanceRequest::run(ExternalCommand::Case::collapse);
    VirtualWaits waits;
    EXPECT_EQ(InstanceClient::askWaiting(socket, collapse, 100ms, waits.patience(20ms, 5ms)),
              InstanceClient::Result(InstanceClient::Failure::noInstance));
    EXPECT_EQ(waits.sleeps, 4);

    std::atomic<bool> done = false;
    InstanceClient::Result result = InstanceClient::Failure::broken;
    InstanceClient::Patience patience;
    patience.limit = 5s;
    patience.interval = 5ms;
    std::thread other([&] {
        result = InstanceClient::askWaiting(socket, collapse, 5s, patience);
        done = true;
    });
    // The program starts while the client is waiting.
    std::this_thread::sleep_for(20ms);
    serve();
    pump([&] { return done.load(); });
    other.join();
    EXPECT_EQ(result, InstanceClient::Result(InstanceReply::done()));
    EXPECT_EQ(handled, std::vector<InstanceRequest>{collapse});
}

TEST(InstanceAddressTest, TheRuntimeFolderElseTheStateFolder) {
    using Path = std::filesystem::path;
    EXPECT_EQ(InstanceAddress::folder("/run/user/1000", Path("/home/a/.local/state/pellacor")),
              Path("/run/user/1000/pellacor"));
    EXPECT_EQ(InstanceAddress::folder(std::nullopt, Path("/home/a/.local/state/pellacor")),
              Path("/home/a/.local/state/pellacor"));
    EXPECT_EQ(InstanceAddress::folder("", Path("/s/pellacor")), Path("/s/pellacor"));
    EXPECT_EQ(InstanceAddress::folder("relative", Path("/s/pellacor")), Path("/s/pellacor"));
    EXPECT_EQ(InstanceAddress::folder(std::nullopt, Path("relative")), std::nullopt);
}

TEST(InstanceAddressTest, TheFolderIsTheUsersAloneOrRefused) {
    pellacor::testing::TempDir dir;
    const auto fresh = dir / "a/b/pellacor";
    EXPECT_EQ(InstanceAddress::prepare(fresh), std::nullopt);
    struct stat facts {};
    ASSERT_EQ(::stat(fresh.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700U);

    const auto open = dir / "open";
    std::filesystem::create_directories(open);
    std::filesystem::permissions(open, std::filesystem::perms::all);
    EXPECT_EQ(InstanceAddress::prepare(open), std::nullopt);
    ASSERT_EQ(::stat(open.c_str(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 0777, 0700U);

    std::filesystem::create_symlink(fresh, dir / "link");
    EXPECT_NE(InstanceAddress::prepare(dir / "link"), std::nullopt);
    dir.write("file", "x");
    EXPECT_NE(InstanceAddress::prepare(dir / "file"), std::nullopt);
}

} // namespace

} // namespace PELLACOR_TEST_FILE
