#pragma once

#include "Concurrency/Time.h"
#include "MenuBarSystem/Pressing/ItemPresser.h"
#include "MenuBarSystem/Pressing/PressAccessibility.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::testing {

// The presser's system operations with scripted answers, for tests in virtual
// time: windows are on screen over spans of the injected clock, a press answers
// what the test says and may open windows, and every call is recorded with the
// time it was made. Thread-safe; the hooks run outside its lock, so they may
// call back into it.
class FakePressAccessibility final : public system::PressAccessibility {
public:
    struct Call {
        enum class Kind { isTrusted, pids, windows, isPlaced, pressIndex, pressIdentifier, lookup };
        Kind kind = Kind::isTrusted;
        std::int32_t pid = 0;
        // `isPlaced`, `pressIndex`.
        int index = 0;
        // `pids`: the bundle identifier; `pressIdentifier`, `lookup`: the identifier.
        std::string text;
        // The presses: the caller's time-out.
        float timeout = 0;
        concurrency::Instant at{};

        bool operator==(const Call&) const = default;
    };
    // A press as the hook sees it: which item, and when.
    using PressHook = std::function<system::PressCall(const Call&)>;

    explicit FakePressAccessibility(concurrency::Now now) : now_(std::move(now)) {}

    bool isTrusted() override;
    std::vector<std::int32_t> pids(const std::string& bundleID) override;
    std::optional<system::WindowNumbers> windows(std::int32_t pid) override;
    std::optional<bool> isPlaced(std::int32_t pid, int index) override;
    system::PressCall press(std::int32_t pid, const std::string& identifier, float timeout) override;
    system::PressCall press(std::int32_t pid, int index, float timeout) override;
    system::SystemItemLookup lookup(std::int32_t pid, const std::string& identifier) override;

    void setTrusted(bool trusted);
    void setProcesses(const std::string& bundleID, std::vector<std::int32_t> pids);
    // The window is on screen from `from` until `until` (never closing when absent).
    void addWindow(std::int32_t pid, std::uint32_t number, concurrency::Instant from,
                   std::optional<concurrency::Instant> until = std::nullopt);
    // Closes the window at `at` (now when absent).
    void closeWindow(std::uint32_t number, std::optional<concurrency::Instant> at = std::nullopt);
    // While false, every window list is unreadable.
    void setWindowListReadable(bool readable);
    // Answers placement per item; every item is placed until set.
    void setPlacement(std::function<std::optional<bool>(std::int32_t pid, int index)> placement);
    // Answers presses (by index and by identifier); every press is sent (0) until set.
    void setPressHook(PressHook hook);
    // Runs at the start of every window-list read, before it is answered.
    void setWindowsHook(std::function<void(std::int32_t pid)> hook);
    void setLookup(
        std::function<system::SystemItemLookup(std::int32_t pid, const std::string& identifier)> lookup);

    std::vector<Call> calls() const;
    std::vector<Call> calls(Call::Kind kind) const;
    // The presses made, by index or identifier, in order.
    std::vector<Call> presses() const;
    void clearCalls();

    // An off-main runner that runs each job at once on the calling thread, so
    // that a presser's steps take no time and stay on the test's executor.
    static system::ItemPresser::OffMain inlineRunner();

private:
    struct Window {
        std::int32_t pid = 0;
        concurrency::Instant from{};
        std::optional<concurrency::Instant> until;
    };

    Call record(Call call);
    system::PressCall pressed(Call call);

    concurrency::Now now_;
    mutable std::mutex mutex_;
    bool trusted_ = true;
    std::map<std::string, std::vector<std::int32_t>> processes_;
    std::map<std::uint32_t, Window> windows_;
    bool windowListReadable_ = true;
    std::function<std::optional<bool>(std::int32_t, int)> placement_;
    PressHook pressHook_;
    std::function<void(std::int32_t)> windowsHook_;
    std::function<system::SystemItemLookup(std::int32_t, const std::string&)> lookup_;
    std::vector<Call> calls_;
};

} // namespace pellacor::testing
