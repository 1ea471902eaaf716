#include "Trayvane/Support/UpdateChecker.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/SerialQueue.h"
#include "Concurrency/TaskHandle.h"
#include "Support/LoopbackTlsServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
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
    UpdateChecker checkerFor(int port, std::string host = testHost) const {
        UpdateTransport transport;
        transport.connectTo = {std::string(testHost) + ":443:127.0.0.1:" + std::to_string(port)};
        transport.trustedCertificates = certificates_->caPem;
        transport.bypassProxies = true;
        // Long enough that a loaded machine (a sanitizer build, a parallel test
        // run) does not stall a good answer into a time-out, short enough that
        // a silent server still ends each case within 2 s.
        return UpdateChecker(std::move(host), 800ms, transport, queue_);
    }

    Outcome fetch(const UpdateChecker& checker) {
        const auto started = std::chrono::steady_clock::now();
        auto task = concurrency::spawn(executor_, checker.fetchLatestVersion());
        EXPECT_TRUE(executor_.runUntil([&] { return task.isFinished(); }, 3s));
        EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
        return task.result().value_or(Outcome::version("(unfinished)"));
    }

    Outcome fetchFrom(Reply reply, int* requests = nullptr) {
        LoopbackTlsServer server(*certificates_, [reply](int) { return reply; });
        const auto outcome = fetch(checkerFor(server.port()));
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
    EXPECT_EQ(fetchFrom({Reply::Mode::silent, {}}), Outcome::unreachable());
    const Reply stall{
        Reply::Mode::stallAfterHead,
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n{\"ver"};
    EXPECT_EQ(fetchFrom(stall), Outcome::noAnswer());

    // A certificate from an authority the checker does not trust.
    LoopbackTlsServer stranger(*strangers_, [](int) { return json(R"({"version":"1.4.2"})"); });
    EXPECT_EQ(fetch(checkerFor(stranger.port())), Outcome::noAnswer());
    EXPECT_TRUE(stranger.requests().empty());
}

// Quitting while the server says nothing must not wait out the time-out: the
// serial queue joins its thread at exit, so the quit would hang that long.
TEST_F(UpdateCheckerTest, AnAbandonedRequestEndsAtOnceAndALaterOneIsNeverMade) {
    const Reply stall{
        Reply::Mode::stallAfterHead,
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100\r\n\r\n{\"ver"};
    LoopbackTlsServer server(
        *certificates_, [stall](int) { return stall; }, 4, 10s);
    auto abandoned = std::make_shared<std::atomic<bool>>(false);
    UpdateTransport transport;
    transport.connectTo = {std::string(testHost) + ":443:127.0.0.1:" + std::to_string(server.port())};
    transport.trustedCertificates = certificates_->caPem;
    transport.bypassProxies = true;
    transport.abandoned = abandoned;
    // Silence alone would end this exchange only after 30 s.
    const UpdateChecker checker(testHost, 30s, transport, queue_);

    auto task = concurrency::spawn(executor_, checker.fetchLatestVersion());
    ASSERT_TRUE(executor_.runUntil([&] { return !server.requests().empty(); }, 3s));
    const auto abandonedAt = std::chrono::steady_clock::now();
    abandoned->store(true);
    ASSERT_TRUE(executor_.runUntil([&] { return task.isFinished(); }, 3s));
    EXPECT_LT(std::chrono::steady_clock::now() - abandonedAt, 2s);
    EXPECT_EQ(task.result(), Outcome::noAnswer());

    auto later = concurrency::spawn(executor_, checker.fetchLatestVersion());
    ASSERT_TRUE(executor_.runUntil([&] { return later.isFinished(); }, 3s));
    EXPECT_EQ(later.result(), Outcome::noAnswer());
    EXPECT_EQ(server.requests().size(), 1U);
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
