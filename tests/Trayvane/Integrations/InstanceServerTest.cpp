#include "Trayvane/Integrations/InstanceServer.h"

#include "Concurrency/ManualExecutor.h"
#include "DemoDesktop/OffscreenApplication.h"
#include "Support/LogCapture.h"
#include "Support/TempDir.h"
#include "Trayvane/Integrations/InstanceAddress.h"
#include "Trayvane/Integrations/InstanceClient.h"

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

struct InstanceServerTest : ::testing::Test {
    pellacor::testing::TempDir dir;
    pellacor::testing::LogCapture log;
    concurrency::ManualExecutor executor;
    std::filesystem::path folder = dir / "run/pellacor";
    std::vector<InstanceRequest> handled;
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
        server->start(executor, [this](InstanceRequest request, const InstanceServer::Respond& respond) {
            handled.push_back(request);
            const auto* run = std::get_if<InstanceRequest::Run>(&request.value());
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
    EXPECT_TRUE(logged("同時に 2 本まで"));
    EXPECT_EQ(server->openConnections(), 2U);
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
    silent->start(executor, [](InstanceRequest, InstanceServer::Respond) {});
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
    EXPECT_EQ(InstanceClient::askWaiting(socket, collapse, 100ms, 20ms, 5ms),
              InstanceClient::Result(InstanceClient::Failure::noInstance));

    std::atomic<bool> done = false;
    InstanceClient::Result result = InstanceClient::Failure::broken;
    std::thread other([&] {
        result = InstanceClient::askWaiting(socket, collapse, 5s, 5s, 5ms);
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
