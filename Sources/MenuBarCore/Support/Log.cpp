#include "MenuBarCore/Support/Log.h"

#include "MenuBarCore/Support/AppIdentity.h"

#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>
#include <sys/uio.h>
#include <unistd.h>

namespace pellacor::core {

std::string_view toString(LogLevel level) {
    switch (level) {
    case LogLevel::debug:
        return "debug";
    case LogLevel::info:
        return "info";
    case LogLevel::defaultLevel:
        return "default";
    case LogLevel::error:
        return "error";
    case LogLevel::fault:
        return "fault";
    }
    return "default";
}

void StandardErrorSink::write(const LogRecord& record) {
    if (record.level < minimum_) {
        return;
    }
    auto line = fmt::format("[{}:{}] {}: {}\n", record.subsystem, record.category, toString(record.level),
                            record.message);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void StandardErrorSink::flush() {
    std::fflush(stderr);
}

JournalSink::JournalSink() {
    if (access("/run/systemd/journal/socket", W_OK) != 0) {
        return;
    }
    void* library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return;
    }
    // The library stays loaded for the life of the process.
    send_ = reinterpret_cast<SendFunction>(dlsym(library, "sd_journal_sendv"));
}

void JournalSink::write(const LogRecord& record) {
    if (send_ == nullptr) {
        return;
    }
    int priority = 5;
    switch (record.level) {
    case LogLevel::debug:
        priority = 7;
        break;
    case LogLevel::info:
        priority = 6;
        break;
    case LogLevel::defaultLevel:
        priority = 5;
        break;
    case LogLevel::error:
        priority = 3;
        break;
    case LogLevel::fault:
        priority = 2;
        break;
    }
    std::string fields[] = {
        "MESSAGE=" + record.message,
        fmt::format("PRIORITY={}", priority),
        "SYSLOG_IDENTIFIER=pellacor",
        "PELLACOR_SUBSYSTEM=" + record.subsystem,
        "PELLACOR_CATEGORY=" + record.category,
    };
    iovec vector[5];
    for (int i = 0; i < 5; ++i) {
        vector[i].iov_base = fields[i].data();
        vector[i].iov_len = fields[i].size();
    }
    send_(vector, 5);
}

namespace {

struct SinkRegistry {
    std::mutex mutex;
    std::vector<std::shared_ptr<LogSink>> sinks;
    bool configured = false;

    void ensureDefaults() {
        if (configured) {
            return;
        }
        configured = true;
        sinks.push_back(std::make_shared<StandardErrorSink>());
        auto journal = std::make_shared<JournalSink>();
        if (journal->isAvailable()) {
            sinks.push_back(journal);
        }
    }
};

SinkRegistry& registry() {
    // Never destroyed: the watchdog thread may log while static destructors run.
    static auto* instance = new SinkRegistry();
    return *instance;
}

} // namespace

Log::Log(std::string category, std::string subsystem)
    : category_(std::move(category)), subsystem_(std::move(subsystem)) {}

std::string_view Log::defaultSubsystem() {
    return bundleIdentifier;
}

void Log::write(LogLevel level, std::string message) const {
    LogRecord record{subsystem_, category_, level, std::move(message)};
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.ensureDefaults();
    for (auto& sink : reg.sinks) {
        sink->write(record);
        if (level == LogLevel::fault) {
            sink->flush();
        }
    }
}

void Log::setSinks(std::vector<std::shared_ptr<LogSink>> sinks) {
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.configured = true;
    reg.sinks = std::move(sinks);
}

void Log::addSink(std::shared_ptr<LogSink> sink) {
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.ensureDefaults();
    reg.sinks.push_back(std::move(sink));
}

void Log::removeSink(const std::shared_ptr<LogSink>& sink) {
    auto& reg = registry();
    std::lock_guard lock(reg.mutex);
    std::erase(reg.sinks, sink);
}

} // namespace pellacor::core
