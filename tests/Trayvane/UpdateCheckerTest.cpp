#include "Trayvane/Support/UpdateChecker.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/TaskHandle.h"
#include "Support/LoopbackTlsServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <pthread.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace std::chrono_literals;
using app::UpdateChecker;
using app::UpdateTransport;
using core::UpdateCheck;
using pellacor::testing::LoopbackTlsServer;
using pellacor::testing::TestCertificates;
using Outcome = UpdateCheck::FetchOutcome;
using Reply = LoopbackTlsServer::Reply;

namespace {

constexpr const char* testHost = "updates.pellacor.test";

// The checker's longest silence where the server answers: long enough that a
// loaded machine (a sanitizer build beside other builds) never stalls an
// answer into a time-out.
constexpr auto patient = 20s;
// Where the case waits out a silent server: short, so that it ends soon.
constexpr auto quick = 800ms;
// How long a test waits, in real time, for what it waits for: far past any
// time-out it sets, so that only a fetch that never ends fails it.
constexpr auto deadline = 30s;

class UpdateCheckerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates_ = std::make_unique<TestCertificates>(TestCertificates::make(testHost));
        strangers_ = std::make_unique<TestCertificates>(TestCertificates::make(testHost));
    }
    static void TearDownTestSuite() {
        certificates_.reset();
        strangers_.reset();
    }

    // The checker as the program makes it, sent to `port` on 127.0.0.1 while
    // asking for the test host, and trusting only the test CA.
    UpdateChecker checkerFor(int port, std::string host = testHost,
                             std::chrono::milliseconds timeout = patient) const {
        return UpdateChecker(std::move(host), timeout, transportTo(port), queue_);
    }
    static UpdateTransport transportTo(int port) {
        UpdateTransport transport;
        transport.connectTo = {std::string(testHost) + ":443:127.0.0.1:" + std::to_string(port)};
        transport.trustedCertificates = certificates_->caPem;
        transport.bypassProxies = true;
        return transport;
    }

    Outcome fetch(const UpdateChecker& checker) {
        auto task = concurrency::spawn(executor_, checker.fetchLatestVersion());
        EXPECT_TRUE(executor_.runUntil([&] { return task.isFinished(); }, deadline));
        return task.result().value_or(Outcome::version("(unfinished)"));
    }

    Outcome fetchFrom(Reply reply, int* requests = nullptr, std::chrono::milliseconds timeout = patient) {
        LoopbackTlsServer server(*certificates_, [reply](int) { return reply; });
        const auto outcome = fetch(checkerFor(server.port(), testHost, timeout));
        if (requests != nullptr) {
            *requests = static_cast<int>(server.requests().size());
        }
        return outcome;
    }

    static Reply json(const std::string& body, const std::string& type = "application/json") {
        return {Reply::Mode::respond, LoopbackTlsServer::response("200 OK", {"Content-Type: " + type}, body)};
    }

    static inline std::unique_ptr<TestCertificates> certificates_;
    static inline std::unique_ptr<TestCertificates> strangers_;
    concurrency::ManualExecutor executor_;
    std::shared_ptr<concurrency::SerialQueue> queue_ =
        std::make_shared<concurrency::SerialQueue>("app.trayvane.pellacor.update-check");
};

TEST_F(UpdateCheckerTest, AnswersAndTheirContentTypes) {
    struct Case {
        Reply reply;
        Outcome outcome;
    };
    const std::string answer = R"({"version":"1.4.2"})";
    const std::vector<Case> cases{
        {json(answer), Outcome::version("1.4.2")},
        {json(answer, "Application/JSON; charset=utf-8"), Outcome::version("1.4.2")},
        {json(answer, "text/plain"), Outcome::noAnswer()},
        {{Reply::Mode::respond, LoopbackTlsServer::response("200 OK", {}, answer)}, Outcome::noAnswer()},
        {json(R"({"version":1.4})"), Outcome::noAnswer()},
        {json(R"({"version":"1..4"})"), Outcome::noAnswer()},
        {json(R"(["1.4.2"])"), Outcome::noAnswer()},
        {json(R"({"latest":"1.4.2"})"), Outcome::noAnswer()},
        {json(""), Outcome::noAnswer()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fetchFrom(c.reply), c.outcome) << c.reply.bytes.substr(0, 80);
    }
}

TEST_F(UpdateCheckerTest, OnlyStatus200IsAnAnswerAndRedirectsAreNotFollowed) {
    const std::string body = R"({"version":"1.4.2"})";
    for (const char* status : {"204 No Content", "304 Not Modified", "404 Not Found",
                               "500 Internal Server Error", "301 Moved Permanently", "302 Found"}) {
        const std::vector<std::string> headers{"Content-Type: application/json",
                                               "Location: https://" + std::string(testHost) + "/other.json"};
        int requests = 0;
        const auto outcome =
            fetchFrom({Reply::Mode::respond, LoopbackTlsServer::response(status, headers, body)}, &requests);
        EXPECT_EQ(outcome, Outcome::noAnswer()) << status;
        EXPECT_EQ(requests, 1) << status;
    }
}

TEST_F(UpdateCheckerTest, TheBodyIsCappedWhileItIsRead) {
    std::string exact = R"({"version":"2.0","pad":")";
    exact += std::string(UpdateCheck::maxBodyBytes - exact.size() - 2, 'a') + "\"}";
    ASSERT_EQ(exact.size(), UpdateCheck::maxBodyBytes);
    EXPECT_EQ(fetchFrom(json(exact)), Outcome::version("2.0"));

    std::string over = exact;
    over.insert(over.end() - 2, 'a');
    EXPECT_EQ(fetchFrom(json(over)), Outcome::noAnswer());

    const Reply endless{
        Reply::Mode::endlessChunked,
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n"};
    EXPECT_EQ(fetchFrom(endless), Outcome::noAnswer());
}

TEST_F(UpdateCheckerTest, ConnectionFailuresAreUnreachableAndLaterOnesNoAnswer) {
    EXPECT_EQ(fetch(checkerFor(pellacor::testing::closedLoopbackPort())), Outcome::unreachable());
    EXPECT_EQ(fetchFrom({Reply::Mode::silent, {}}, nullptr, quick), Outcome::unreachable());
    const Reply stall{
        Reply::Mode::stallAfterHead,
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n{\"ver"};
    EXPECT_EQ(fetchFrom(stall, nullptr, quick), Outcome::noAnswer());

    // A certificate from an authority the checker does not trust.
    LoopbackTlsServer stranger(*strangers_, [](int) { return json(R"({"version":"1.4.2"})"); });
    EXPECT_EQ(fetch(checkerFor(stranger.port())), Outcome::noAnswer());
    EXPECT_TRUE(stranger.requests().empty());
}

// Quitting while the server says nothing must not wait out the time-out: the
// serial queue joins its thread at exit, so the quit would hang that long.
// Here the silence would last ten minutes and the server outlives the wait,
// so only the abandon can end the exchange within it.
TEST_F(UpdateCheckerTest, AnAbandonedRequestEndsAtOnceAndALaterOneIsNeverMade) {
    const Reply stall{
        Reply::Mode::stallAfterHead,
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n{\"ver"};
    LoopbackTlsServer server(
        *certificates_, [stall](int) { return stall; }, 4, 2 * deadline);
    auto abandoned = std::make_shared<std::atomic<bool>>(false);
    UpdateTransport transport = transportTo(server.port());
    transport.abandoned = abandoned;
    const UpdateChecker checker(testHost, 10min, transport, queue_);

    auto task = concurrency::spawn(executor_, checker.fetchLatestVersion());
    // The server's thread posts nothing to the executor: look now and then.
    const auto requested = [&] {
        for (const auto until = std::chrono::steady_clock::now() + deadline;
             std::chrono::steady_clock::now() < until;) {
            if (executor_.runUntil([&] { return !server.requests().empty(); }, 20ms)) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(requested());
    ASSERT_FALSE(task.isFinished()) << "the server is still in the middle of its answer";
    abandoned->store(true);
    ASSERT_TRUE(executor_.runUntil([&] { return task.isFinished(); }, deadline));
    EXPECT_EQ(task.result(), Outcome::noAnswer());

    auto later = concurrency::spawn(executor_, checker.fetchLatestVersion());
    ASSERT_TRUE(executor_.runUntil([&] { return later.isFinished(); }, deadline));
    EXPECT_EQ(later.result(), Outcome::noAnswer());
    EXPECT_EQ(server.requests().size(), 1U);
}

// A write to a client that has left (one that aborts the handshake, or stops
// reading the answer) raises SIGPIPE on the server's thread. That must not end
// the test program: the exchange goes on, and so do the other cases.
TEST_F(UpdateCheckerTest, ASigpipeOnTheServersThreadLeavesTheTestProgramRunning) {
    LoopbackTlsServer server(*certificates_, [](int) {
        pthread_kill(pthread_self(), SIGPIPE);
        return json(R"({"version":"1.4.2"})");
    });
    EXPECT_EQ(fetch(checkerFor(server.port())), Outcome::version("1.4.2"));
}

TEST_F(UpdateCheckerTest, AnEmptyHostMakesNoRequest) {
    LoopbackTlsServer server(*certificates_, [](int) { return json(R"({"version":"1.4.2"})"); });
    EXPECT_EQ(fetch(checkerFor(server.port(), "")), Outcome::noAnswer());
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(UpdateCheckerTest, SendsExactlyItsHeadersAndKeepsNothingBetweenFetches) {
    LoopbackTlsServer server(*certificates_, [](int) {
        return Reply{
            Reply::Mode::respond,
            LoopbackTlsServer::response("200 OK",
                                        {"Content-Type: application/json", "Set-Cookie: session=abc; Path=/",
                                         "Cache-Control: public, max-age=86400"},
                                        R"({"version":"1.4.2"})")};
    });
    const auto checker = checkerFor(server.port());
    EXPECT_EQ(fetch(checker), Outcome::version("1.4.2"));
    EXPECT_EQ(fetch(checker), Outcome::version("1.4.2"));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2U);
    const std::string expected =
        std::string("GET /latest.json HTTP/1.1\r\n") + "Host: " + testHost +
        "\r\nAccept: application/json\r\nUser-Agent: Pellacor\r\nAccept-Language: *\r\n\r\n";
    for (const auto& request : requests) {
        EXPECT_EQ(request, expected);
    }
}

} // namespace

} // namespace PELLACOR_TEST_FILE
