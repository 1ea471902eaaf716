#pragma once

#include "MenuBarCore/Support/Log.h"

#include <string>
#include <unistd.h>

namespace pellacor::testing {

// Writes each record as one line, "[subsystem:category] level: message",
// straight to a file descriptor, so nothing waits in a buffer when a process
// ends without clean-up.
class DescriptorSink final : public core::LogSink {
public:
    explicit DescriptorSink(int fd) : fd_(fd) {}
    void write(const core::LogRecord& record) override {
        const std::string line = "[" + record.subsystem + ":" + record.category + "] " +
                                 std::string(core::toString(record.level)) + ": " + record.message + "\n";
        [[maybe_unused]] const auto written = ::write(fd_, line.data(), line.size());
    }

private:
    int fd_;
};

} // namespace pellacor::testing
