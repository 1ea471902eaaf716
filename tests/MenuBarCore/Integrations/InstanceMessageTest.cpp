#include "MenuBarCore/Integrations/ExternalCommand.h"
#include "MenuBarCore/Integrations/InstanceReply.h"
#include "MenuBarCore/Integrations/InstanceRequest.h"
#include "MenuBarCore/Integrations/IntentProblem.h"
#include "MenuBarCore/Integrations/MessageFrame.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor::core;
using State = MessageFrame::State;
using Mode = InstanceRequest::Profiles::Mode;

namespace {

const Uuid work = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
const Uuid home = *Uuid::parse("0B7A3C4D-1111-4222-8333-944455556666");

TEST(MessageFrameTest, OneLineUpToTheLimitWithItsNewline) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        State state;
        std::string message;
    };
    const std::string nine(9, 'a');
    const std::vector<Case> cases = {
        {"split over chunks", {"ab", "c", "d\n"}, State::complete, "abcd"},
        {"exactly the limit", {nine + "\n"}, State::complete, nine},
        {"one byte over", {nine + "a\n"}, State::tooLarge, ""},
        {"over before any newline", {nine, "a"}, State::tooLarge, ""},
        {"only the first line", {"one\ntwo\n", "three"}, State::complete, "one"},
        {"no newline yet", {"abc"}, State::incomplete, "abc"},
        {"an empty line", {"\n"}, State::complete, ""},
    };
    for (const auto& c : cases) {
        MessageFrame frame(10);
        for (const auto& chunk : c.chunks) {
            frame.append(chunk);
        }
        EXPECT_EQ(frame.state(), c.state) << c.name;
        EXPECT_EQ(frame.message(), c.message) << c.name;
    }
}

TEST(InstanceRequestTest, EveryRequestComesBackAsItWasSent) {
    auto matching = InstanceRequest::Profiles{Mode::matching, "Ｗｏｒｋ \"and\"\nmore", {}};
    const std::vector<InstanceRequest> requests = {
        InstanceRequest::open({"pellacor://reveal?all=1", "pellacor://collapse"}),
        InstanceRequest::open({}),
        InstanceRequest::run(ExternalCommand::Case::reveal, true),
        InstanceRequest::run(ExternalCommand::Case::reveal, false),
        InstanceRequest::run(ExternalCommand::Case::resume),
        InstanceRequest::run(ExternalCommand::Case::switchProfile, false, work),
        *InstanceRequest::profiles({Mode::suggested, {}, {}}),
        *InstanceRequest::profiles(matching),
        *InstanceRequest::profiles({Mode::identifiers, {}, {work, home}}),
    };
    for (const auto& request : requests) {
        const auto line = request.encoded();
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        EXPECT_EQ(InstanceRequest::decode(line), request) << line;
    }
}

TEST(InstanceRequestTest, WhatIsNotARequestIsRefused) {
    const std::vector<std::string> lines = {
        "",
        "not json",
        "[]",
        "{}",
        R"({"open": "pellacor://reveal", "received": 1})",
        R"({"open": ["pellacor://reveal", 3], "received": 2})",
        R"({"open": ["pellacor://reveal"]})",
        R"({"open": ["pellacor://reveal"], "received": -1})",
        R"({"run": "explode"})",
        R"({"run": "reveal", "all": "yes"})",
        R"({"run": "switchProfile"})",
        R"({"run": "switchProfile", "profile": "Work"})",
        R"({"profiles": "everything"})",
        R"({"profiles": "matching"})",
        R"({"profiles": "identifiers", "ids": ["nope"]})",
    };
    for (const auto& line : lines) {
        EXPECT_FALSE(InstanceRequest::decode(line).has_value()) << line;
    }
    // The JSON reader stops at a NUL, which would make the part before it a
    // whole request and what follows ignored junk.
    using namespace std::string_literals;
    for (const auto& line : {"{\"run\":\"collapse\"}\0junk"s, "{\"run\":\"collapse\"}\0"s,
                             "{\"open\":[\"pellacor://pause\0\"],\"received\":1}"s}) {
        EXPECT_FALSE(InstanceRequest::decode(line).has_value()) << line;
    }
    EXPECT_FALSE(InstanceReply::decode("{\"ok\":true}\0{\"ok\":false}"s).has_value());
}

TEST(InstanceRequestTest, ALineThatIsARequestComesBackAsItSays) {
    // What decodes encodes to a line that decodes to the same request; a flag
    // the action does not have is not taken, as it would not come back.
    const std::vector<std::pair<std::string, InstanceRequest>> lines = {
        {R"({"run": "collapse", "all": true})", InstanceRequest::run(ExternalCommand::Case::collapse)},
        {R"({"run": "pause", "all": "yes"})", InstanceRequest::run(ExternalCommand::Case::pause)},
        {R"({"run": "reveal", "all": true})", InstanceRequest::run(ExternalCommand::Case::reveal, true)},
    };
    for (const auto& [line, request] : lines) {
        const auto decoded = InstanceRequest::decode(line);
        EXPECT_EQ(decoded, request) << line;
        ASSERT_TRUE(decoded) << line;
        EXPECT_EQ(InstanceRequest::decode(decoded->encoded()), decoded) << line;
    }
}

TEST(InstanceRequestTest, AProfileQueryIsMadeOnlyWhenItFitsInOneMessage) {
    struct Case {
        const char* name;
        InstanceRequest::Profiles query;
        bool fits;
    };
    const auto ids = [](std::size_t count) { return std::vector<Uuid>(count, work); };
    const std::vector<Case> cases = {
        {"a text just within", {Mode::matching, std::string(65000, 'a'), {}}, true},
        {"a text over the limit", {Mode::matching, std::string(70000, 'a'), {}}, false},
        // Each byte that is not UTF-8 goes out as U+FFFD, three bytes.
        {"bytes that grow on the way", {Mode::matching, std::string(30000, '\xff'), {}}, false},
        {"ids within", {Mode::identifiers, {}, ids(1000)}, true},
        {"too many ids", {Mode::identifiers, {}, ids(2000)}, false},
    };
    for (const auto& c : cases) {
        const auto request = InstanceRequest::profiles(c.query);
        EXPECT_EQ(request.has_value(), c.fits) << c.name;
        if (request) {
            EXPECT_LT(request->encoded().size(), InstanceRequest::sizeLimit) << c.name;
            EXPECT_EQ(InstanceRequest::decode(request->encoded()), request) << c.name;
        }
    }
}

TEST(InstanceRequestTest, TheURLsOfAHugeDeliveryAreCutToOneMessageAndStillCounted) {
    // A hundred URLs far over the grammar's limit: only what fits goes, each cut
    // so the grammar still refuses it as too long, and the count stays whole.
    std::vector<std::string> urls(100, "pellacor://reveal?pad=" + std::string(10000, 'x'));
    urls[0] = "pellacor://collapse";
    const auto request = InstanceRequest::open(urls);
    const auto line = request.encoded();
    EXPECT_LT(line.size(), InstanceRequest::sizeLimit);
    const auto decoded = InstanceRequest::decode(line);
    ASSERT_TRUE(decoded);
    const auto& open = std::get<InstanceRequest::Open>(decoded->value());
    EXPECT_EQ(open.received, 100U);
    ASSERT_GE(open.urls.size(), 5U);
    EXPECT_LT(open.urls.size(), 100U);
    EXPECT_EQ(open.urls[0], "pellacor://collapse");
    EXPECT_EQ(ExternalCommand::parse(open.urls[1]).rejection(), ExternalCommand::Rejection::tooLong);
}

TEST(InstanceRequestTest, BytesThatAreNotUtf8StillMakeAMessage) {
    const auto request = InstanceRequest::open({std::string("pellacor://profile?name=\xff\xfe")});
    const auto decoded = InstanceRequest::decode(request.encoded());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::get<InstanceRequest::Open>(decoded->value()).urls[0],
              "pellacor://profile?name=\uFFFD\uFFFD");
}

TEST(InstanceReplyTest, RepliesComeBackAndNonsenseIsRefused) {
    InstanceReply listed;
    listed.profiles = std::vector<ProfileEntity>{{work, "Work"}, {home, "自宅"}};
    listed.activeProfile = home;
    const std::vector<InstanceReply> replies = {
        InstanceReply::done(), InstanceReply::failed(IntentProblem::Case::resumeNeedsUser),
        InstanceReply::refusal(), InstanceReply::turnedAway(), listed};
    for (const auto& reply : replies) {
        EXPECT_EQ(InstanceReply::decode(reply.encoded()), reply) << reply.encoded();
    }
    for (const std::string line :
         {R"({})", R"({"ok": true, "problem": "notReady"})", R"({"ok": false, "problem": "tired"})",
          R"({"ok": false})", R"({"ok": true, "profiles": [{"id": "x", "name": "a"}]})"}) {
        EXPECT_FALSE(InstanceReply::decode(line).has_value()) << line;
    }
}

TEST(InstanceReplyTest, AReplyFitsTheFrameThatReadsIt) {
    // More profiles than one message holds: as many as fit, in their order.
    InstanceReply many;
    many.profiles = std::vector<ProfileEntity>();
    for (int i = 0; i < 2000; ++i) {
        many.profiles->push_back({Uuid::random(), "プロファイル" + std::to_string(i) + std::string(20, 'x')});
    }
    many.activeProfile = many.profiles->back().id;
    const auto line = many.encoded();
    MessageFrame frame(InstanceReply::sizeLimit);
    EXPECT_EQ(frame.append(line + "\n"), State::complete);
    const auto decoded = InstanceReply::decode(frame.message());
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(decoded->profiles);
    EXPECT_GT(decoded->profiles->size(), 100U);
    EXPECT_LT(decoded->profiles->size(), 2000U);
    EXPECT_TRUE(std::equal(decoded->profiles->begin(), decoded->profiles->end(), many.profiles->begin()));
    EXPECT_EQ(decoded->activeProfile, many.activeProfile);
}

TEST(IntentProblemTest, TextsAndWireNames) {
    EXPECT_EQ(IntentProblem::message(IntentProblem::Case::notReady),
              "Pellacor の準備ができていません。少し待ってから、もう一度実行してください。");
    EXPECT_EQ(IntentProblem::message(IntentProblem::Case::unknownProfile),
              "そのプロファイルは見つかりません。消したか、名前が変わったのかもしれません。"
              "ショートカットで選び直してください。");
    // Given for three reasons of a pause, and true for each.
    const auto needsUser = IntentProblem::message(IntentProblem::Case::resumeNeedsUser);
    for (const char* reason :
         {"macOS が新しくなった", "起動のときにキーを押していた", "メニューバーへの表示が切られていた"}) {
        EXPECT_NE(needsUser.find(reason), std::string_view::npos) << reason;
    }
    for (const auto problem : IntentProblem::allCases) {
        EXPECT_EQ(IntentProblem::fromRawValue(IntentProblem::rawValue(problem)), problem);
    }
    EXPECT_FALSE(IntentProblem::fromRawValue("NotReady"));
}

} // namespace

} // namespace PELLACOR_TEST_FILE
