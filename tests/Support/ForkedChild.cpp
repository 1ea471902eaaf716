#include "Support/ForkedChild.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace pellacor::testing {

int ForkedChild::run(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

bool ForkedChild::killAfter(const std::function<void()>& prepare, const std::function<void()>& work,
                            std::chrono::microseconds delay) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (child == 0) {
        // Says when it is ready (a fork can take long), then works until killed.
        ::close(ready[0]);
        prepare();
        const char started = 1;
        (void)!::write(ready[1], &started, 1);
        work();
        ::_exit(0);
    }
    ::close(ready[1]);
    char started = 0;
    const bool running = ::read(ready[0], &started, 1) == 1;
    ::close(ready[0]);
    if (running) {
        std::this_thread::sleep_for(delay);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    return ::waitpid(child, &status, 0) == child && running;
}

} // namespace pellacor::testing
