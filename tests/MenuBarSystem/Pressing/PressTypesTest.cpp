#include "MenuBarSystem/Pressing/PressOutcome.h"
#include "MenuBarSystem/Pressing/PressTarget.h"
#include "MenuBarSystem/Pressing/RevealPurpose.h"
#include "MenuBarSystem/Pressing/RevealTicket.h"
#include "MenuBarSystem/Pressing/SystemItemTarget.h"

#include <gtest/gtest.h>
#include <unordered_set>

namespace PELLACOR_TEST_FILE {
namespace {

using pellacor::core::ItemSnapshot;
using pellacor::core::PressMethod;
using pellacor::core::Rect;
using pellacor::system::PressOutcome;
using pellacor::system::PressTarget;
using pellacor::system::RevealPurpose;
using pellacor::system::RevealTicket;
using pellacor::system::SystemItemTarget;
using pellacor::system::UnavailableReason;

// Every value of the list is equal to itself and unequal to all the others, and
// their hashes differ (not required in general, but these values must not collide).
template <typename T> void expectDistinct(const std::vector<T>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (std::size_t j = 0; j < values.size(); ++j) {
            EXPECT_EQ(values[i] == values[j], i == j) << toString(values[i]) << " vs " << toString(values[j]);
        }
        T copy = values[i];
        EXPECT_EQ(std::hash<T>()(copy), std::hash<T>()(values[i])) << toString(values[i]);
    }
    std::unordered_set<std::size_t> hashes;
    for (const auto& value : values) {
        hashes.insert(std::hash<T>()(value));
    }
    EXPECT_EQ(hashes.size(), values.size());
}

ItemSnapshot snapshot(std::int32_t pid) {
    return ItemSnapshot("com.example.a", pid, "status", std::nullopt, std::nullopt, 2, Rect(800, 0, 20, 24));
}

TEST(PressTargetTest, FromASnapshotAProcessIdentifierOfZeroIsNone) {
    EXPECT_EQ(PressTarget(snapshot(0)), PressTarget("com.example.a", 2, std::nullopt));
    EXPECT_EQ(PressTarget(snapshot(312)), PressTarget("com.example.a", 2, 312));
    EXPECT_EQ(PressTarget(snapshot(-1)).pid, -1);
}

TEST(PressTargetTest, EqualityAndHashOverAllFields) {
    expectDistinct<PressTarget>({
        {"com.example.a", 2, std::nullopt},
        {"com.example.a", 2, 0},
        {"com.example.a", 2, 1},
        {"com.example.a", 3, std::nullopt},
        {"com.example.b", 2, std::nullopt},
        {"com.example.A", 2, std::nullopt},
        {"", 0, std::nullopt},
    });
    EXPECT_EQ(toString(PressTarget("com.example.a", 2, 312)), "PressTarget(com.example.a・2 番目・pid 312)");
    EXPECT_EQ(toString(PressTarget("com.example.a", 0, std::nullopt)), "PressTarget(com.example.a・0 番目)");
}

TEST(SystemItemTargetTest, UserSwitcher) {
    const SystemItemTarget& first = SystemItemTarget::userSwitcher();
    EXPECT_EQ(first.ownerBundleID, "com.apple.MenuBarAgent");
    EXPECT_EQ(first.identifier, "com.apple.menuextra.user");
    EXPECT_EQ(first.menuOwnerBundleIDs, std::vector<std::string>{"com.apple.controlcenter"});
    SystemItemTarget second = SystemItemTarget::userSwitcher();
    EXPECT_EQ(first, second);
    EXPECT_EQ(std::hash<SystemItemTarget>()(first), std::hash<SystemItemTarget>()(second));
    EXPECT_EQ(toString(first), "SystemItemTarget(com.apple.MenuBarAgent・com.apple.menuextra.user)");

    expectDistinct<SystemItemTarget>({
        first,
        {"com.apple.MenuBarAgent", "com.apple.menuextra.user", {}},
        {"com.apple.MenuBarAgent",
         "com.apple.menuextra.user",
         {"com.apple.controlcenter", "com.apple.other"}},
        {"com.apple.MenuBarAgent", "com.apple.menuextra.clock", {"com.apple.controlcenter"}},
        {"com.apple.controlcenter", "com.apple.menuextra.user", {"com.apple.controlcenter"}},
    });
}

TEST(PressOutcomeTest, EqualityFollowsCaseAndPayload) {
    expectDistinct<PressOutcome>({
        PressOutcome::opened(PressMethod::direct),
        PressOutcome::opened(PressMethod::hiddenPress),
        PressOutcome::opened(PressMethod::revealPress),
        PressOutcome::opened(PressMethod::liftPress),
        PressOutcome::unavailable(UnavailableReason::systemError(0)),
        PressOutcome::unavailable(UnavailableReason::systemError(1)),
        PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission),
        PressOutcome::notOpened(),
        PressOutcome::notFound(),
    });
    EXPECT_EQ(PressOutcome::notOpened(), PressOutcome::notOpened());
    EXPECT_EQ(PressOutcome::unavailable(UnavailableReason::systemError(0)),
              PressOutcome::unavailable(UnavailableReason::systemError(0)));
}

TEST(PressOutcomeTest, PayloadsAndTextForms) {
    struct Case {
        PressOutcome outcome;
        PressOutcome::Kind kind;
        std::optional<PressMethod> method;
        std::optional<UnavailableReason> reason;
        const char* text;
    } cases[] = {
        {PressOutcome::opened(PressMethod::hiddenPress), PressOutcome::Kind::opened, PressMethod::hiddenPress,
         std::nullopt, "opened(hiddenPress)"},
        {PressOutcome::unavailable(UnavailableReason::systemError(0)), PressOutcome::Kind::unavailable,
         std::nullopt, UnavailableReason::systemError(0), "unavailable(systemError(0))"},
        {PressOutcome::unavailable(UnavailableReason::noAccessibilityPermission),
         PressOutcome::Kind::unavailable, std::nullopt, UnavailableReason::noAccessibilityPermission,
         "unavailable(noAccessibilityPermission)"},
        {PressOutcome::notOpened(), PressOutcome::Kind::notOpened, std::nullopt, std::nullopt, "notOpened"},
        {PressOutcome::notFound(), PressOutcome::Kind::notFound, std::nullopt, std::nullopt, "notFound"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.outcome.kind(), c.kind) << c.text;
        EXPECT_EQ(c.outcome.method(), c.method) << c.text;
        EXPECT_EQ(c.outcome.reason(), c.reason) << c.text;
        EXPECT_EQ(toString(c.outcome), c.text);
    }
}

TEST(RevealTicketTest, EqualityAndHashOverIdAndBundle) {
    expectDistinct<RevealTicket>({
        {1, "com.example.a"},
        {1, "com.example.b"},
        {1, ""},
        {2, "com.example.a"},
        {2, ""},
    });
    EXPECT_EQ((RevealTicket{3, "com.example.a"}), (RevealTicket{3, "com.example.a"}));
    EXPECT_EQ(toString(RevealTicket{3, "com.example.a"}), "RevealTicket(3・com.example.a)");
    EXPECT_EQ(toString(RevealTicket{4, ""}), "RevealTicket(4・lift)");
}

TEST(RevealPurposeTest, TextAndHash) {
    EXPECT_EQ(toString(RevealPurpose::press), "press");
    EXPECT_EQ(toString(RevealPurpose::leaveShown), "leaveShown");
    std::unordered_set<RevealPurpose> set{RevealPurpose::press, RevealPurpose::leaveShown,
                                          RevealPurpose::press};
    EXPECT_EQ(set.size(), 2u);
}

} // namespace
} // namespace PELLACOR_TEST_FILE
