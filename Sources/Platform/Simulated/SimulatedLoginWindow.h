#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace pellacor::platform {

class SimulatedRuntimeLoader;

// The private login framework of the simulated desktop: one C function that
// sends the user to the login window. It is registered with the simulated
// runtime and may be called from any thread. A scenario or a test can make the
// framework absent (the library does not load), leave the function out, or
// make the function fail with a status.
class SimulatedLoginWindow : public std::enable_shared_from_this<SimulatedLoginWindow> {
public:
    static constexpr std::string_view libraryPath = "/System/Library/PrivateFrameworks/login.framework/login";
    static constexpr std::string_view switchFunctionName = "SACSwitchToLoginWindow";

    static std::shared_ptr<SimulatedLoginWindow> create();
    SimulatedLoginWindow(const SimulatedLoginWindow&) = delete;
    SimulatedLoginWindow& operator=(const SimulatedLoginWindow&) = delete;

    // Registers the library and its function with the runtime.
    void install(SimulatedRuntimeLoader& loader);

    // What the function answers from now on; 0 is success.
    void setResult(std::int32_t status) { result_ = status; }
    std::int32_t result() const { return result_; }

    // Calls of the function, successful or not.
    int callCount() const { return calls_; }
    // Successful calls: how often the session went to the login window.
    int switchCount() const { return switches_; }

private:
    SimulatedLoginWindow() = default;
    std::int32_t switchToLoginWindow();

    std::atomic<std::int32_t> result_{0};
    std::atomic<int> calls_{0};
    std::atomic<int> switches_{0};
};

} // namespace pellacor::platform
