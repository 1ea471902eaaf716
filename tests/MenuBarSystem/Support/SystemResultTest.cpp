#include "MenuBarSystem/Support/SystemResult.h"

#include "Support/SystemResultPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace PELLACOR_TEST_FILE {

using pellacor::system::SystemResult;
using pellacor::system::UnavailableReason;

TEST(SystemResultTest, ValueIsThePayloadOfOkOnly) {
    EXPECT_EQ(SystemResult<int>::ok(7).value(), 7);
    EXPECT_EQ(SystemResult<int>::ok(0).value(), 0);
    EXPECT_EQ(SystemResult<int>::unavailable(UnavailableReason::selfNotAllowed).value(), std::nullopt);
    EXPECT_EQ(SystemResult<int>::timeout().value(), std::nullopt);

    auto moved = SystemResult<std::vector<std::string>>::ok({"a", "b"});
    EXPECT_EQ(std::move(moved).value(), (std::vector<std::string>{"a", "b"}));

    EXPECT_TRUE(SystemResult<>::ok().value().has_value());
    EXPECT_FALSE(SystemResult<>::timeout().value().has_value());
    EXPECT_EQ(SystemResult<>::unavailable(UnavailableReason::layoutChanged).reason(),
              UnavailableReason::layoutChanged);
    EXPECT_EQ(SystemResult<>::ok().reason(), std::nullopt);
}

TEST(SystemResultTest, EqualityGoesByCaseAndPayload) {
    using R = SystemResult<int>;
    struct Case {
        R a;
        R b;
        bool equal;
    };
    const std::vector<Case> cases{
        {R::ok(1), R::ok(1), true},
        {R::ok(1), R::ok(2), false},
        {R::timeout(), R::timeout(), true},
        {R::ok(0), R::timeout(), false},
        {R::unavailable(UnavailableReason::layoutChanged), R::unavailable(UnavailableReason::layoutChanged),
         true},
        {R::unavailable(UnavailableReason::systemError(1)), R::unavailable(UnavailableReason::systemError(2)),
         false},
        {R::unavailable(UnavailableReason::systemError(0)), R::unavailable(UnavailableReason::layoutChanged),
         false},
        {R::unavailable(UnavailableReason::layoutTableMissing), R::timeout(), false},
        {R::unavailable(UnavailableReason::layoutTableMissing), R::ok(0), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << toString(c.a) << " vs " << toString(c.b);
        EXPECT_EQ(c.b == c.a, c.equal) << toString(c.b) << " vs " << toString(c.a);
    }
    EXPECT_EQ(SystemResult<>::ok(), SystemResult<>::ok());
    EXPECT_NE(SystemResult<>::ok(), SystemResult<>::timeout());
}

TEST(SystemResultTest, SystemErrorIsTheOnlyReasonWithACode) {
    EXPECT_EQ(UnavailableReason::systemError(-25204).kind(), UnavailableReason::Kind::systemError);
    EXPECT_EQ(UnavailableReason::systemError(-25204).code(), -25204);
    EXPECT_EQ(UnavailableReason::layoutChanged.code(), 0);
    EXPECT_EQ(UnavailableReason(UnavailableReason::Kind::selfNotAllowed), UnavailableReason::selfNotAllowed);
    EXPECT_NE(UnavailableReason::layoutChanged, UnavailableReason::layoutWriteRejected);
}

TEST(SystemResultTest, TextFormsForLogs) {
    EXPECT_EQ(toString(SystemResult<>::ok()), "ok");
    EXPECT_EQ(toString(SystemResult<int>::ok(3)), "ok(3)");
    EXPECT_EQ(toString(SystemResult<std::string>::ok("x")), "ok(x)");
    EXPECT_EQ(toString(SystemResult<>::timeout()), "timeout");
    EXPECT_EQ(toString(SystemResult<>::unavailable(UnavailableReason::systemError(-1))),
              "unavailable(systemError(-1))");
    EXPECT_EQ(toString(SystemResult<int>::unavailable(UnavailableReason::hidingComponentMissing)),
              "unavailable(hidingComponentMissing)");
    const std::vector<std::pair<UnavailableReason, const char*>> names{
        {UnavailableReason::noAccessibilityPermission, "noAccessibilityPermission"},
        {UnavailableReason::hidingComponentMissing, "hidingComponentMissing"},
        {UnavailableReason::selfNotAllowed, "selfNotAllowed"},
        {UnavailableReason::restrictionRejected, "restrictionRejected"},
        {UnavailableReason::userSwitchComponentMissing, "userSwitchComponentMissing"},
        {UnavailableReason::layoutFolderNotGranted, "layoutFolderNotGranted"},
        {UnavailableReason::layoutTableMissing, "layoutTableMissing"},
        {UnavailableReason::layoutWriteRejected, "layoutWriteRejected"},
        {UnavailableReason::layoutChanged, "layoutChanged"},
        {UnavailableReason::systemError(5), "systemError(5)"},
    };
    for (const auto& [reason, name] : names) {
        EXPECT_EQ(toString(reason), name);
    }
}

} // namespace PELLACOR_TEST_FILE
