#include "Support/LogCapture.h"

#include <algorithm>

namespace pellacor::testing {

class LogCapture::Sink final : public core::LogSink {
public:
    void write(const core::LogRecord& record) override {
        std::lock_guard lock(mutex);
        records.push_back(record);
    }
    mutable std::mutex mutex;
    std::vector<core::LogRecord> records;
};

LogCapture::LogCapture() : sink_(std::make_shared<Sink>()) {
    core::Log::addSink(sink_);
}

LogCapture::~LogCapture() {
    core::Log::removeSink(sink_);
}

std::vector<core::LogRecord> LogCapture::records() const {
    std::lock_guard lock(sink_->mutex);
    return sink_->records;
}

std::vector<std::string> LogCapture::messages(const std::string& category) const {
    std::vector<std::string> out;
    for (auto& r : records()) {
        if (r.category == category) {
            out.push_back(r.message);
        }
    }
    return out;
}

std::vector<std::string> LogCapture::lines(const std::string& category) const {
    std::vector<std::string> out;
    for (auto& r : records()) {
        if (r.category == category) {
            out.push_back(std::string(core::toString(r.level)) + ": " + r.message);
        }
    }
    return out;
}

bool LogCapture::contains(const std::string& category, const std::string& message) const {
    auto all = messages(category);
    return std::find(all.begin(), all.end(), message) != all.end();
}

std::vector<core::LogRecord> LogCapture::matching(const std::string& fragment) const {
    std::vector<core::LogRecord> out;
    for (auto& r : records()) {
        if (r.message.find(fragment) != std::string::npos) {
            out.push_back(r);
        }
    }
    return out;
}

void LogCapture::clear() {
    std::lock_guard lock(sink_->mutex);
    sink_->records.clear();
}

} // namespace pellacor::testing
