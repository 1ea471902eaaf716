#pragma once

#include "MenuBarCore/Support/Log.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pellacor::testing {

// Collects every log record written while it exists. Thread-safe.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<core::LogRecord> records() const;
    // Messages of one category, in the order they were written.
    std::vector<std::string> messages(const std::string& category) const;
    // The same with each message's level before it: "info: 保存しました".
    std::vector<std::string> lines(const std::string& category) const;
    bool contains(const std::string& category, const std::string& message) const;
    // Records whose message contains the fragment.
    std::vector<core::LogRecord> matching(const std::string& fragment) const;
    void clear();

private:
    class Sink;
    std::shared_ptr<Sink> sink_;
};

} // namespace pellacor::testing
