#include "Trayvane/Integrations/ShortcutsCommand.h"

#include "MenuBarCore/Integrations/IntentProblem.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::InstanceClient;
using app::ShortcutsCommand;
using core::ExternalCommand;
using core::InstanceReply;
using core::InstanceRequest;
using core::IntentProblem;
using core::ProfileEntity;
using core::Uuid;
using Mode = InstanceRequest::Profiles::Mode;

namespace {

const Uuid work = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
const Uuid workshop = *Uuid::parse("0B7A3C4D-1111-4222-8333-944455556666");
const Uuid home = *Uuid::parse("11111111-2222-4333-8444-555555555555");

// The command over a scripted program: each request is recorded and answered
// with the next scripted result (done when the script has run out).
struct ShortcutsCommandTest : ::testing::Test {
    std::vector<InstanceClient::Result> script;
    std::vector<InstanceRequest> asked;
    std::ostringstream out;
    std::ostringstream err;

    int run(const std::vector<std::string>& arguments) {
        out.str({});
        err.str({});
        asked.clear();
        std::size_t next = 0;
        ShortcutsCommand command(
            [&](const InstanceRequest& request) -> InstanceClient::Result {
                asked.push_back(request);
                return next < script.size() ? script[next++] : InstanceClient::Result(InstanceReply::done());
            },
            out, err);
        return command.run(arguments);
    }
    static InstanceReply listed(std::vector<ProfileEntity> profiles, std::optional<Uuid> active = {}) {
        InstanceReply reply;
        reply.profiles = std::move(profiles);
        reply.activeProfile = active;
        return reply;
    }
};

TEST_F(ShortcutsCommandTest, UsageErrorsAskNothingAndEndWithTwo) {
    std::vector<std::string> manyIDs{"profiles"};
    for (int i = 0; i < 2000; ++i) {
        manyIDs.insert(manyIDs.end(), {"--id", work.uuidString()});
    }
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"explode"},
        {"phrases", "extra"},
        {"run"},
        {"run", "reveal", "--everything"},
        {"run", "collapse", "now"},
        {"run", "switch-profile"},
        {"run", "switch-profile", "--previous"},
        {"profiles", "--id"},
        {"profiles", "--id", "not-an-id"},
        {"profiles", "a", "b"},
        // More than one request can carry: refused here, not cut off by the program.
        {"profiles", std::string(70000, 'a')},
        {"run", "switch-profile", std::string(70000, 'a')},
        manyIDs,
    };
    for (const auto& arguments : wrong) {
        EXPECT_EQ(run(arguments), ShortcutsCommand::usageError) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(asked.empty());
        EXPECT_NE(err.str().find("usage: pellacor-shortcuts"), std::string::npos);
    }
    EXPECT_EQ(run({"--help"}), ShortcutsCommand::succeeded);
    EXPECT_NE(out.str().find("usage: pellacor-shortcuts"), std::string::npos);
}

TEST_F(ShortcutsCommandTest, TheListsNeedNoProgram) {
    EXPECT_EQ(run({"phrases"}), 0);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              "Pellacorでアイコンを出す\tアイコンを出す\teye\treveal");
    EXPECT_EQ(run({"intents"}), 0);
    EXPECT_NE(
        out.str().find("switchProfile\tプロファイルを切り替える\tprofile: ProfileEntity \"プロファイル\"\t"
                       "${profile} に切り替える\n"),
        std::string::npos)
        << out.str();
}

TEST_F(ShortcutsCommandTest, EachActionIsOneRequestAndItsProblemIsTold) {
    struct Case {
        std::vector<std::string> arguments;
        InstanceRequest request;
    };
    const std::vector<Case> cases = {
        {{"run", "reveal"}, InstanceRequest::run(ExternalCommand::Case::reveal, false)},
        {{"run", "reveal", "--all"}, InstanceRequest::run(ExternalCommand::Case::reveal, true)},
        {{"run", "collapse"}, InstanceRequest::run(ExternalCommand::Case::collapse)},
        {{"run", "pause"}, InstanceRequest::run(ExternalCommand::Case::pause)},
        {{"run", "resume"}, InstanceRequest::run(ExternalCommand::Case::resume)},
        {{"run", "switch-profile", work.uuidString()},
         InstanceRequest::run(ExternalCommand::Case::switchProfile, false, work)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.arguments), ShortcutsCommand::succeeded);
        EXPECT_EQ(asked, std::vector<InstanceRequest>{c.request});
        EXPECT_EQ(err.str(), "");
    }

    script = {InstanceReply::failed(IntentProblem::Case::resumeNeedsUser)};
    EXPECT_EQ(run({"run", "resume"}), ShortcutsCommand::failed);
    EXPECT_EQ(err.str(), std::string(IntentProblem::message(IntentProblem::Case::resumeNeedsUser)) + "\n");

    // No program within the wait, or none that answers, is told as not ready.
    for (const auto failure : {InstanceClient::Failure::noInstance, InstanceClient::Failure::timedOut}) {
        script = {failure};
        EXPECT_EQ(run({"run", "collapse"}), ShortcutsCommand::failed);
        EXPECT_EQ(err.str(), std::string(IntentProblem::message(IntentProblem::Case::notReady)) + "\n");
    }
    script = {InstanceReply::refusal()};
    EXPECT_EQ(run({"run", "pause"}), ShortcutsCommand::failed);

    // Another user's listener, and a program that stayed busy, are told as such.
    script = {InstanceClient::Failure::stranger};
    EXPECT_EQ(run({"run", "pause"}), ShortcutsCommand::failed);
    EXPECT_NE(err.str().find("served by another user, so nothing was sent"), std::string::npos) << err.str();
    script = {InstanceClient::Failure::busy};
    EXPECT_EQ(run({"profiles"}), ShortcutsCommand::failed);
    EXPECT_NE(err.str().find("the program was busy"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST_F(ShortcutsCommandTest, AnAddressThatIsNotTheUsersIsRefusedBeforeAnythingIsAsked) {
    std::vector<InstanceRequest> sent;
    ShortcutsCommand command(
        [&](const InstanceRequest& request) -> InstanceClient::Result {
            sent.push_back(request);
            return InstanceReply::done();
        },
        out, err, "/run/user/1/pellacor/instance.sock",
        [] {
            return std::optional<std::string>("/run/user/1/pellacor belongs to another user (uid 65534)");
        });
    EXPECT_EQ(command.run({"run", "collapse"}), ShortcutsCommand::failed);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(err.str(), "pellacor-shortcuts: /run/user/1/pellacor belongs to another user (uid 65534)\n");
    // The lists need no program, so they need no address either.
    EXPECT_EQ(command.run({"phrases"}), ShortcutsCommand::succeeded);
}

TEST_F(ShortcutsCommandTest, ProfilesAreListedAndChosenByNameOrAsTheNextOne) {
    const std::vector<ProfileEntity> all = {{work, "Work"}, {workshop, "Workshop"}, {home, "自宅"}};

    script = {listed(all, home)};
    EXPECT_EQ(run({"profiles"}), 0);
    EXPECT_EQ(asked, std::vector<InstanceRequest>{*InstanceRequest::profiles({Mode::matching, "", {}})});
    EXPECT_EQ(out.str(), work.uuidString() + "\tWork\n" + workshop.uuidString() + "\tWorkshop\n" +
                             home.uuidString() + "\t自宅\n");
    script = {listed({{home, "自宅"}})};
    EXPECT_EQ(run({"profiles", "--id", home.uuidString(), "--id", work.uuidString()}), 0);
    EXPECT_EQ(asked, std::vector<InstanceRequest>{
                         *InstanceRequest::profiles({Mode::identifiers, {}, {home, work}})});

    // A name that one profile matches switches to it.
    script = {listed({{home, "自宅"}})};
    EXPECT_EQ(run({"run", "switch-profile", "自宅"}), 0);
    EXPECT_EQ(asked.back(), InstanceRequest::run(ExternalCommand::Case::switchProfile, false, home));
    // Several: none is guessed.
    script = {listed({{work, "Work"}, {workshop, "Workshop"}})};
    EXPECT_EQ(run({"run", "switch-profile", "work"}), ShortcutsCommand::usageError);
    EXPECT_EQ(asked.size(), 1U);
    // None: the profile is unknown.
    script = {listed({})};
    EXPECT_EQ(run({"run", "switch-profile", "office"}), ShortcutsCommand::failed);
    EXPECT_EQ(err.str(), std::string(IntentProblem::message(IntentProblem::Case::unknownProfile)) + "\n");

    // The next after the active one, round to the first.
    script = {listed(all, workshop)};
    EXPECT_EQ(run({"run", "switch-profile", "--next"}), 0);
    EXPECT_EQ(asked.back(), InstanceRequest::run(ExternalCommand::Case::switchProfile, false, home));
    script = {listed(all, home)};
    EXPECT_EQ(run({"run", "switch-profile", "--next"}), 0);
    EXPECT_EQ(asked.back(), InstanceRequest::run(ExternalCommand::Case::switchProfile, false, work));
}

} // namespace

} // namespace PELLACOR_TEST_FILE
