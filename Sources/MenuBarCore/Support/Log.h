#pragma once

#include <fmt/format.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

enum class LogLevel { debug, info, defaultLevel, error, fault };

std::string_view toString(LogLevel level);

struct LogRecord {
    std::string subsystem;
    std::string category;
    LogLevel level = LogLevel::defaultLevel;
    std::string message;
};

// Where log records go. Sinks are called one record at a time, never concurrently.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(const LogRecord& record) = 0;
    virtual void flush() {}
};

// Writes one line per record to standard error, from a minimum level on.
class StandardErrorSink final : public LogSink {
public:
    explicit StandardErrorSink(LogLevel minimum = LogLevel::info) : minimum_(minimum) {}
    void write(const LogRecord& record) override;
    void flush() override;

private:
    LogLevel minimum_;
};

// Sends records to the systemd journal when the machine has one; otherwise does nothing.
// The journal library is loaded at run time so that the program runs where it is absent.
class JournalSink final : public LogSink {
public:
    JournalSink();
    bool isAvailable() const { return send_ != nullptr; }
    void write(const LogRecord& record) override;

private:
    using SendFunction = int (*)(const void* iov, int n);
    SendFunction send_ = nullptr;
};

// One logger: a subsystem (the bundle identifier) and a category ("app", "press", …).
// Cheap to copy. Every record goes to all installed sinks; a fault is flushed
// before the call returns, because the caller may be about to end the process.
class Log {
public:
    explicit Log(std::string category, std::string subsystem = std::string(defaultSubsystem()));

    static Log app() { return Log("app"); }
    static Log press() { return Log("press"); }
    static Log visibility() { return Log("visibility"); }
    static Log watchdog() { return Log("watchdog"); }

    const std::string& category() const { return category_; }
    const std::string& subsystem() const { return subsystem_; }

    void write(LogLevel level, std::string message) const;

    template <typename... Args> void debug(fmt::format_string<Args...> f, Args&&... args) const {
        write(LogLevel::debug, fmt::format(f, std::forward<Args>(args)...));
    }
    template <typename... Args> void info(fmt::format_string<Args...> f, Args&&... args) const {
        write(LogLevel::info, fmt::format(f, std::forward<Args>(args)...));
    }
    template <typename... Args> void notice(fmt::format_string<Args...> f, Args&&... args) const {
        write(LogLevel::defaultLevel, fmt::format(f, std::forward<Args>(args)...));
    }
    template <typename... Args> void error(fmt::format_string<Args...> f, Args&&... args) const {
        write(LogLevel::error, fmt::format(f, std::forward<Args>(args)...));
    }
    template <typename... Args> void fault(fmt::format_string<Args...> f, Args&&... args) const {
        write(LogLevel::fault, fmt::format(f, std::forward<Args>(args)...));
    }

    // The sinks every logger writes to. Until set, records go to standard error
    // (info and above) and to the journal when present.
    static void setSinks(std::vector<std::shared_ptr<LogSink>> sinks);
    static void addSink(std::shared_ptr<LogSink> sink);
    static void removeSink(const std::shared_ptr<LogSink>& sink);

    static std::string_view defaultSubsystem();

private:
    std::string category_;
    std::string subsystem_;
};

} // namespace pellacor::core
