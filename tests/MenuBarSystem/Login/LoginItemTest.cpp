#include "MenuBarSystem/Login/LoginItem.h"

#include "Platform/Simulated/SimulatedLoginItemService.h"
#include "Support/SystemResultPrinters.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace pellacor::system {
inline void PrintTo(LoginItemStatus status, std::ostream* os) {
    *os << toString(status);
}
} // namespace pellacor::system

namespace PELLACOR_TEST_FILE {

using namespace pellacor::platform;
using namespace pellacor::system;

namespace {

using Raw = LoginItemService::Status;
using Result = SystemResult<LoginItemStatus>;

} // namespace

TEST(LoginItemTest, MapsTheServiceStatusAndReadsUnknownValuesAsNotRegistered) {
    struct Case {
        Raw raw;
        LoginItemStatus expected;
    };
    const std::vector<Case> cases{
        {Raw::notRegistered, LoginItemStatus::notRegistered},
        {Raw::enabled, LoginItemStatus::enabled},
        {Raw::requiresApproval, LoginItemStatus::requiresApproval},
        {Raw::notFound, LoginItemStatus::notFound},
        {static_cast<Raw>(4), LoginItemStatus::notRegistered},
        {static_cast<Raw>(-1), LoginItemStatus::notRegistered},
    };
    for (const auto& c : cases) {
        auto service = std::make_shared<SimulatedLoginItemService>(c.raw);
        EXPECT_EQ(LoginItem(service).status(), c.expected) << static_cast<std::int64_t>(c.raw);
    }
}

TEST(LoginItemTest, SetEnabledAnswersTheStatusAfterwardsOrTheRefusalsCode) {
    using Error = LoginItemService::Error;
    struct Case {
        const char* name;
        Raw before;
        bool requiresApproval;
        std::optional<Error> registerError;
        std::optional<Error> unregisterError;
        bool on;
        Result expected;
        LoginItemStatus after;
    };
    constexpr auto int32Max = std::numeric_limits<std::int32_t>::max();
    constexpr auto int32Min = std::numeric_limits<std::int32_t>::min();
    const std::vector<Case> cases{
        {"register",
         Raw::notRegistered,
         false,
         {},
         {},
         true,
         Result::ok(LoginItemStatus::enabled),
         LoginItemStatus::enabled},
        {"register, the user must approve",
         Raw::notRegistered,
         true,
         {},
         {},
         true,
         Result::ok(LoginItemStatus::requiresApproval),
         LoginItemStatus::requiresApproval},
        {"register refused",
         Raw::notRegistered,
         false,
         Error{12},
         {},
         true,
         Result::unavailable(UnavailableReason::systemError(12)),
         LoginItemStatus::notRegistered},
        {"unregister",
         Raw::enabled,
         false,
         {},
         {},
         false,
         Result::ok(LoginItemStatus::notRegistered),
         LoginItemStatus::notRegistered},
        {"unregister when not registered, the service agreeing",
         Raw::notRegistered,
         false,
         {},
         {},
         false,
         Result::ok(LoginItemStatus::notRegistered),
         LoginItemStatus::notRegistered},
        {"unregister when not registered, the service refusing",
         Raw::notRegistered,
         false,
         {},
         Error{6},
         false,
         Result::unavailable(UnavailableReason::systemError(6)),
         LoginItemStatus::notRegistered},
        {"a code beyond 32 bits saturates rather than wrapping to 0",
         Raw::notRegistered,
         false,
         Error{std::int64_t{1} << 32},
         {},
         true,
         Result::unavailable(UnavailableReason::systemError(int32Max)),
         LoginItemStatus::notRegistered},
        {"a negative code beyond 32 bits",
         Raw::enabled,
         false,
         {},
         Error{-(std::int64_t{1} << 40)},
         false,
         Result::unavailable(UnavailableReason::systemError(int32Min)),
         LoginItemStatus::enabled},
    };
    for (const auto& c : cases) {
        auto service = std::make_shared<SimulatedLoginItemService>(c.before);
        service->setRequiresApproval(c.requiresApproval);
        service->setRegisterError(c.registerError);
        service->setUnregisterError(c.unregisterError);
        LoginItem item(service);
        EXPECT_EQ(item.setEnabled(c.on), c.expected) << c.name;
        EXPECT_EQ(item.status(), c.after) << c.name;
        EXPECT_EQ(service->registerCount(), c.on ? 1 : 0) << c.name;
        EXPECT_EQ(service->unregisterCount(), c.on ? 0 : 1) << c.name;
    }
}

TEST(LoginItemTest, OpensTheLoginItemsSettings) {
    auto service = std::make_shared<SimulatedLoginItemService>();
    LoginItem item(service);
    item.openSystemSettings();
    EXPECT_EQ(service->settingsOpenCount(), 1);
    EXPECT_EQ(service->registerCount() + service->unregisterCount(), 0);
}

} // namespace PELLACOR_TEST_FILE
