#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Sleep.h"
#include "Concurrency/TaskHandle.h"
#include "MenuBarSystem/Watching/CaptureDeviceSource.h"
#include "MenuBarSystem/Watching/CaptureUseWatching.h"
#include "Platform/CaptureDevices.h"

#include <chrono>
#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>

namespace pellacor::system {

// Whether any camera or audio input device is in use by any process. Listens to
// each kind's device list and to each device's running state, and re-measures
// everything on a backstop poll in case a change went unreported; the handler
// hears only changes of the measured value. Doubt resolves toward showing: a
// list or a device that cannot be read counts as in use.
//
// Main thread only. Listeners and the backstop hold the watcher weakly, so it is
// held by a shared pointer (see `create`); the owner calls `stop` before letting
// it go, which removes the listeners.
class CaptureUseWatcher final : public CaptureUseWatching,
                                public std::enable_shared_from_this<CaptureUseWatcher> {
public:
    static constexpr concurrency::Duration defaultBackstopInterval = std::chrono::seconds(3);

    // The system's devices, with listeners delivered on the main queue, and a
    // backstop every 3 s.
    static std::shared_ptr<CaptureUseWatcher> create(std::shared_ptr<platform::CaptureDevices> devices,
                                                     concurrency::MainExecutor& executor);
    // Any source; without a backstop interval there is no backstop poll. The
    // backstop sleeps with `sleep` on `executor`.
    static std::shared_ptr<CaptureUseWatcher> create(std::shared_ptr<CaptureDeviceSource> source,
                                                     concurrency::MainExecutor& executor,
                                                     std::optional<concurrency::Duration> backstopInterval,
                                                     concurrency::Sleep sleep = concurrency::defaultSleep());
    ~CaptureUseWatcher() override;
    CaptureUseWatcher(const CaptureUseWatcher&) = delete;
    CaptureUseWatcher& operator=(const CaptureUseWatcher&) = delete;

    CaptureUse current() const override { return current_; }
    void start(ChangeHandler onChange) override;
    void stop() override;

private:
    struct DeviceKey {
        CaptureDeviceKind kind;
        std::uint32_t id;
        auto operator<=>(const DeviceKey&) const = default;
    };

    CaptureUseWatcher(std::shared_ptr<CaptureDeviceSource> source, concurrency::MainExecutor& executor,
                      std::optional<concurrency::Duration> backstopInterval, concurrency::Sleep sleep);

    static concurrency::Task<void> backstopLoop(std::weak_ptr<CaptureUseWatcher> weak,
                                                concurrency::Duration interval, concurrency::Sleep sleep);

    CaptureDeviceSource::Handler refreshHandler();
    void attachNewDevices();
    bool anyInUse(CaptureDeviceKind kind);
    CaptureUse measure();
    void refresh();

    const std::shared_ptr<CaptureDeviceSource> source_;
    concurrency::MainExecutor& executor_;
    const std::optional<concurrency::Duration> backstopInterval_;
    const concurrency::Sleep sleep_;
    // The devices whose running state has a listener.
    std::set<DeviceKey> watched_;
    ChangeHandler onChange_;
    std::optional<concurrency::TaskHandle<void>> backstop_;
    CaptureUse current_;
};

} // namespace pellacor::system
