#include "Trayvane/App/SignalPipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace pellacor::app {

namespace {

int ends[2] = {-1, -1};

void onSignal(int signal) {
    // A handler runs between any two instructions of the code it interrupts,
    // which may be about to read errno.
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(ends[1], &byte, 1);
    errno = saved;
}

} // namespace

bool SignalPipe::install(std::initializer_list<int> numbers) {
    if (ends[0] < 0 && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : numbers) {
        if (::sigaction(signal, &action, nullptr) != 0) {
            return false;
        }
    }
    return true;
}

int SignalPipe::readEnd() {
    return ends[0];
}

std::optional<int> SignalPipe::next() {
    char byte = 0;
    if (ends[0] < 0 || ::read(ends[0], &byte, 1) != 1) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(byte);
}

} // namespace pellacor::app
