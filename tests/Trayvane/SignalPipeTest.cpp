#include "Trayvane/App/SignalPipe.h"

#include "Support/ForkedChild.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace PELLACOR_TEST_FILE {

using namespace pellacor;
using app::SignalPipe;

namespace {

TEST(SignalPipeTest, ABurstOfSignalsNeitherBlocksTheHandlerNorChangesErrno) {
    // In a child of its own: the handlers are the whole process's, and one
    // stuck on a full pipe would hang it (the alarm ends it then).
    const int status = pellacor::testing::ForkedChild::run([] {
        ::alarm(60);
        if (!SignalPipe::install({SIGUSR2})) {
            return 10;
        }
        // More signals than the pipe holds, and nobody reads meanwhile.
        const int room = ::fcntl(SignalPipe::readEnd(), F_GETPIPE_SZ);
        for (int i = 0; i < room + 100; ++i) {
            ::raise(SIGUSR2);
        }
        // The handler's write fails on the full pipe; the code it interrupted
        // finds errno as it left it.
        errno = EDOM;
        ::raise(SIGUSR2);
        if (errno != EDOM) {
            return 11;
        }
        // What fitted wakes the loop; each byte names its signal.
        int waiting = 0;
        while (const auto signal = SignalPipe::next()) {
            if (*signal != SIGUSR2) {
                return 12;
            }
            ++waiting;
        }
        return waiting == room ? 0 : 13;
    });
    EXPECT_EQ(status, 0) << "-1: the child hung in the handler; 11: errno changed; 13: bytes missing";
}

} // namespace

} // namespace PELLACOR_TEST_FILE
