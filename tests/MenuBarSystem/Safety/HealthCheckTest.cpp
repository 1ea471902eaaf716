#include "MenuBarSystem/Safety/HealthCheck.h"

#include "Concurrency/ManualExecutor.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarSystem/Reading/ItemReader.h"
#include "MenuBarSystem/Reading/SystemAccessibility.h"
#include "MenuBarSystem/Safety/AccessibilityTrust.h"
#include "Platform/Simulated/SimulatedPlatform.h"
#include "Support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace pellacor::system {
inline void PrintTo(const HealthProblem& problem, std::ostream* os) {
    *os << toString(problem);
}
inline void PrintTo(const HealthReport& report, std::ostream* os) {
    *os << toString(report);
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using namespace pellacor::system;
namespace fs = std::filesystem;
using Items = std::vector<core::ItemSnapshot>;
using Problems = std::vector<HealthProblem>;

namespace {

const std::string self(core::bundleIdentifier);

core::ItemSnapshot itemOf(const std::string& owner, std::int32_t index = 0) {
    return core::ItemSnapshot(owner, 500, "item", std::nullopt, std::nullopt, index, std::nullopt);
}

// Answers every read with the same result and counts the reads.
class CannedReader final : public ItemReading {
public:
    explicit CannedReader(Result result) : result_(std::move(result)) {}
    using ItemReading::readItems;
    concurrency::Task<Result> readItems() override {
        ++reads;
        return answer(result_);
    }
    int reads = 0;

private:
    static concurrency::Task<Result> answer(Result result) { co_return result; }
    Result result_;
};

HealthCheck checkOf(bool inApplications, bool hidingAvailable, std::string selfID = self) {
    return HealthCheck(std::make_shared<CannedReader>(ItemReading::Result::ok({})), hidingAvailable,
                       inApplications ? "/Applications/Pellacor.app" : "/Users/me/Downloads/Pellacor.app",
                       std::move(selfID));
}

} // namespace

TEST(HealthCheckTest, EvaluateFindsTheProblemsInTheirOrder) {
    using Result = ItemReading::Result;
    const auto noPermission = HealthProblem::cannotRead(UnavailableReason::noAccessibilityPermission);
    struct Case {
        const char* name;
        bool inApplications;
        bool hidingAvailable;
        Result read;
        Problems expected;
    };
    const std::vector<Case> cases = {
        {"empty read, all else well", true, true, Result::ok({}), {HealthProblem::noItems}},
        {"empty read from a download folder without the framework",
         false,
         false,
         Result::ok({}),
         {HealthProblem::notInApplicationsFolder, HealthProblem::hidingComponentMissing,
          HealthProblem::noItems}},
        {"refused read",
         true,
         true,
         Result::unavailable(UnavailableReason::noAccessibilityPermission),
         {noPermission}},
        {"refused read after the first two findings",
         false,
         false,
         Result::unavailable(UnavailableReason::noAccessibilityPermission),
         {HealthProblem::notInApplicationsFolder, HealthProblem::hidingComponentMissing, noPermission}},
        {"refused read with a system error",
         true,
         false,
         Result::unavailable(UnavailableReason::systemError(-25204)),
         {HealthProblem::hidingComponentMissing,
          HealthProblem::cannotRead(UnavailableReason::systemError(-25204))}},
        {"read timed out",
         false,
         true,
         Result::timeout(),
         {HealthProblem::notInApplicationsFolder, HealthProblem::readTimedOut}},
        {"only others' items",
         true,
         true,
         Result::ok({itemOf("com.example.a"), itemOf("com.example.b")}),
         {HealthProblem::ownItemMissing}},
        {"an item of the program's own among others",
         true,
         true,
         Result::ok({itemOf("com.example.a"), itemOf(self), itemOf("com.example.b")}),
         {}},
        {"own item but hiding unavailable",
         true,
         false,
         Result::ok({itemOf(self)}),
         {HealthProblem::hidingComponentMissing}},
    };
    for (const auto& c : cases) {
        const HealthReport report = checkOf(c.inApplications, c.hidingAvailable).evaluate(c.read);
        EXPECT_EQ(report, HealthReport{c.expected}) << c.name;
        EXPECT_EQ(report.isHealthy(), c.expected.empty()) << c.name;
    }
}

TEST(HealthCheckTest, ProblemsAreEqualByCaseAndReason) {
    EXPECT_EQ(HealthProblem::cannotRead(UnavailableReason::systemError(-1)),
              HealthProblem::cannotRead(UnavailableReason::systemError(-1)));
    EXPECT_NE(HealthProblem::cannotRead(UnavailableReason::systemError(-1)),
              HealthProblem::cannotRead(UnavailableReason::systemError(-2)));
    EXPECT_NE(HealthProblem::cannotRead(UnavailableReason::hidingComponentMissing),
              HealthProblem::hidingComponentMissing);
    EXPECT_EQ(HealthProblem::cannotRead(UnavailableReason::layoutChanged).reason(),
              UnavailableReason::layoutChanged);
    EXPECT_EQ(HealthProblem::noItems.reason(), std::nullopt);
}

TEST(HealthCheckTest, TheOwnIdentifierIsTrimmedOfWhiteSpaceAndLineBreaks) {
    for (const std::string& spelled : {self + " ", self + "\n", " \t" + self + "\r\n", self + "\u3000"}) {
        const HealthCheck check = checkOf(true, true, spelled);
        EXPECT_EQ(check.selfBundleID(), self);
        EXPECT_TRUE(
            check.evaluate(ItemReading::Result::ok({itemOf("com.example.a"), itemOf(self)})).isHealthy())
            << "identifier spelled '" << spelled << "'";
    }
    // Only the ends are trimmed: another identifier stays another.
    EXPECT_EQ(checkOf(true, true, "app.trayvane pellacor").evaluate(ItemReading::Result::ok({itemOf(self)})),
              HealthReport{{HealthProblem::ownItemMissing}});
}

TEST(HealthCheckTest, RunJudgesOneFullRead) {
    concurrency::ManualExecutor executor;
    auto reader = std::make_shared<CannedReader>(ItemReading::Result::ok({itemOf("com.example.a")}));
    const HealthCheck check(reader, false, "/Applications/Pellacor.app", self);
    auto handle = concurrency::spawn(executor, check.run());
    executor.runUntilIdle();
    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(*handle.result(),
              (HealthReport{{HealthProblem::hidingComponentMissing, HealthProblem::ownItemMissing}}));
    EXPECT_EQ(reader->reads, 1);
}

TEST(HealthCheckTest, JudgeFirstRestriction) {
    using Result = SystemResult<core::VisibilityPlan>;
    struct Case {
        const char* name;
        Result result;
        std::optional<HealthProblem> expected;
    };
    const std::vector<Case> cases = {
        {"confirmed allow", Result::ok(core::VisibilityPlan::allow({self})), std::nullopt},
        {"confirmed empty allow", Result::ok(core::VisibilityPlan::allow({})), std::nullopt},
        {"no restriction in force", Result::ok(core::VisibilityPlan::noRestriction()),
         HealthProblem::hidingDidNotTakeEffect},
        {"framework missing", Result::unavailable(UnavailableReason::hidingComponentMissing),
         HealthProblem::hidingComponentMissing},
        {"self not allowed", Result::unavailable(UnavailableReason::selfNotAllowed),
         HealthProblem::hidingDidNotTakeEffect},
        {"rejected", Result::unavailable(UnavailableReason::restrictionRejected),
         HealthProblem::hidingDidNotTakeEffect},
        {"system error", Result::unavailable(UnavailableReason::systemError(3)),
         HealthProblem::hidingDidNotTakeEffect},
        {"no confirmation in time", Result::timeout(), HealthProblem::hidingDidNotTakeEffect},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HealthCheck::judgeFirstRestriction(c.result), c.expected) << c.name;
    }
}

// A file tree standing for a computer's disk: bundles directly in its
// Applications folder, in a subfolder of it, in the user's own Applications
// folder and elsewhere, and links to some of them.
class ApplicationsFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"Applications/Pellacor.app", "Applications/Utilities/Tool.app",
                                   "Users/me/Applications/Pellacor.app", "Users/me/Downloads/Pellacor.app",
                                   "Applications/Pellacor", "Users/me/Desktop"}) {
            fs::create_directories(disk.path() / folder);
        }
        fs::create_directory_symlink(disk.path() / "Applications/Pellacor.app",
                                     disk.path() / "Users/me/Desktop/Linked.app");
        fs::create_directory_symlink("../Downloads/Pellacor.app",
                                     disk.path() / "Users/me/Desktop/Download.app");
        fs::create_directory_symlink(disk.path() / "Applications/Pellacor.app",
                                     disk.path() / "Applications/Alias.app");
        fs::create_directory_symlink(disk.path() / "Applications/Pellacor.app",
                                     disk.path() / "Users/me/Desktop/Pellacor");
    }

    bool isIn(const std::string& relative) const {
        return HealthCheck::isInApplicationsFolder(disk.path() / relative, applications());
    }
    fs::path applications() const { return disk.path() / "Applications"; }

    pellacor::testing::TempDir disk;
};

TEST_F(ApplicationsFolderTest, OnlyABundleDirectlyInTheFolderPassesAfterLinksAreResolved) {
    struct Case {
        const char* path;
        bool passes;
    };
    const std::vector<Case> cases = {
        {"Applications/Pellacor.app", true},
        {"Applications/Pellacor.app/", true},
        {"Applications/./Utilities/../Pellacor.app", true},
        {"Applications/NotInstalledYet.app", true},
        {"Applications/Utilities/Tool.app", false},
        {"Users/me/Applications/Pellacor.app", false},
        {"Users/me/Downloads/Pellacor.app", false},
        {"Applications/Pellacor", false},
        // A link elsewhere to a bundle in the folder counts as that bundle...
        {"Users/me/Desktop/Linked.app", true},
        {"Users/me/Desktop/Pellacor", true},
        // ...and a link in the folder to a bundle elsewhere as the one elsewhere.
        {"Users/me/Desktop/Download.app", false},
        {"Applications/Alias.app", true},
        {"Applications", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isIn(c.path), c.passes) << c.path;
    }
}

TEST_F(ApplicationsFolderTest, TheFolderItselfMayBeReachedThroughALink) {
    fs::create_directory_symlink(disk.path(), disk.path() / "Users/me/disk");
    EXPECT_TRUE(HealthCheck::isInApplicationsFolder(disk.path() / "Applications/Pellacor.app",
                                                    disk.path() / "Users/me/disk/Applications"));
    EXPECT_TRUE(HealthCheck::isInApplicationsFolder(disk.path() / "Users/me/disk/Applications/Pellacor.app",
                                                    applications()));
}

TEST(ApplicationsFolderDefaultTest, TheComputersOwnFolderIsApplicationsAtTheRoot) {
    EXPECT_TRUE(HealthCheck::isInApplicationsFolder("/Applications/Pellacor.app"));
    EXPECT_FALSE(HealthCheck::isInApplicationsFolder("/Applications/Utilities/Pellacor.app"));
    EXPECT_FALSE(HealthCheck::isInApplicationsFolder("/Users/me/Applications/Pellacor.app"));
    EXPECT_FALSE(HealthCheck::isInApplicationsFolder("Applications/Pellacor.app"));
}

// The check over the simulated desktop, as the application shell wires it: the
// folder and the bundle come from the scenario, the read from the item reader.
class SimulatedHealthTest : public ::testing::Test {
protected:
    HealthReport runCheck(platform::Scenario scenario) {
        concurrency::ManualExecutor executor; // outlives the reader's queues
        scenario.root = disk.path();
        platform::SimulatedPlatform platform(scenario);
        auto accessibility =
            std::make_shared<SystemAccessibility>(platform.accessibility(), platform.workspace());
        auto reader = std::make_shared<ItemReader>(accessibility);
        const HealthCheck check(reader, true, platform.desktop()->ownBundlePath(), self,
                                platform.desktop()->applicationsFolder());
        auto handle = concurrency::spawn(executor, check.run());
        EXPECT_TRUE(executor.runUntil([&] { return handle.isFinished(); }));
        return handle.isFinished() ? *handle.result() : HealthReport{};
    }

    pellacor::testing::TempDir disk;
};

TEST_F(SimulatedHealthTest, TheDefaultDesktopIsHealthyWithTheBundleInItsApplicationsFolder) {
    fs::create_directories(disk.path() / "Applications/Pellacor.app");
    EXPECT_EQ(runCheck(platform::Scenario::defaultScenario()), HealthReport{});
}

TEST_F(SimulatedHealthTest, ABundleOutsideTheFolderAndAnUntrustedProcessAreFound) {
    fs::create_directories(disk.path() / "Users/me/Downloads/Pellacor.app");
    platform::Scenario scenario = platform::Scenario::defaultScenario();
    scenario.ownBundlePath = "/Users/me/Downloads/Pellacor.app";
    scenario.accessibilityTrusted = false;
    EXPECT_EQ(runCheck(scenario),
              (HealthReport{{HealthProblem::notInApplicationsFolder,
                             HealthProblem::cannotRead(UnavailableReason::noAccessibilityPermission)}}));
}

TEST(AccessibilityTrustTest, AsksThePlatformEveryTime) {
    const platform::Scenario empty;
    platform::SimulatedPlatform platform(empty);
    const AccessibilityTrust trust(platform.accessibility());
    EXPECT_TRUE(trust.isTrusted());
    platform.accessibility()->setTrusted(false);
    EXPECT_FALSE(trust.isTrusted());
    platform.accessibility()->setTrusted(true);
    EXPECT_TRUE(trust.isTrusted());
}

} // namespace PELLACOR_TEST_FILE
