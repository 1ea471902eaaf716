#include "Support/CoordinatorFixture.h"

#include <gtest/gtest.h>

namespace pellacor::testing {
namespace PELLACOR_TEST_FILE {
namespace {

using core::Rect;

// A notch check made while the coordinator lived and started only after its
// last owner let go, as a task started on a later turn starts: it must find
// the coordinator gone rather than read through it.
class NotchCheckLifetime : public CollapsedCoordinatorFixture {};

TEST_F(NotchCheckLifetime, ACheckStartedAfterTheCoordinatorWentEndsWithoutTouchingIt) {
    collapsed();
    screens->attached = {{Rect(0, 0, 1512, 982), 850.0}};
    coordinator->notchOverflowEnabled = true;

    const std::size_t readsBefore = reader->log.calls().size();
    auto check = coordinator->checkNotch();
    coordinator.reset();
    auto handle = concurrency::spawn(executor, std::move(check));
    executor.runUntilIdle();

    ASSERT_TRUE(handle.isFinished());
    EXPECT_EQ(handle.result(), std::optional(false)) << "nothing changed: there is nothing left to change";
    EXPECT_EQ(reader->log.calls().size(), readsBefore) << "no read for a coordinator that is gone";
}

} // namespace
} // namespace PELLACOR_TEST_FILE
} // namespace pellacor::testing
