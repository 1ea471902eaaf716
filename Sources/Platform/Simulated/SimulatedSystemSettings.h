#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace pellacor::platform {

// The simulated computer's System Settings application: which of its pages is
// open, as a deep link opened it. Whoever stands for the settings on screen
// (the demo desktop's controls panel) watches it. Thread-safe; observers are
// called after the change, outside the lock, on the thread that made it.
class SimulatedSystemSettings {
public:
    // The scheme of the settings' deep links: "x-apple.systempreferences:PANE?ANCHOR".
    static constexpr const char* scheme = "x-apple.systempreferences:";
    // The security pane and the anchor of its Accessibility list.
    static constexpr const char* securityPane = "com.apple.preference.security";
    static constexpr const char* accessibilityAnchor = "Privacy_Accessibility";

    struct Page {
        std::string pane;
        // The place within the pane; empty for its top.
        std::string anchor;
        bool operator==(const Page&) const = default;
    };
    using ObserverId = std::uint64_t;

    // The page a deep link names; nothing for another URL or one without a pane.
    static std::optional<Page> page(const std::string& url);

    // Opens the settings at a page (again, when it is open already: a person sees it come to the front).
    void open(Page page);
    // The page open now; nothing while the settings are closed.
    std::optional<Page> openPage() const;
    // How many times a page was opened.
    std::uint64_t openings() const;

    ObserverId addObserver(std::function<void()> observer);
    void removeObserver(ObserverId id);

private:
    void notify();

    mutable std::mutex mutex_;
    std::optional<Page> page_;
    std::uint64_t openings_ = 0;
    std::map<ObserverId, std::function<void()>> observers_;
    ObserverId nextId_ = 1;
};

} // namespace pellacor::platform
