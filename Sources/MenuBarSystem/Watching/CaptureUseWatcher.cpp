#include "MenuBarSystem/Watching/CaptureUseWatcher.h"

#include "MenuBarSystem/Support/MainQueue.h"
#include "MenuBarSystem/Watching/SystemCaptureDevices.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pellacor::system {

namespace {
constexpr std::array kinds{CaptureDeviceKind::camera, CaptureDeviceKind::microphone};
} // namespace

std::shared_ptr<CaptureUseWatcher>
CaptureUseWatcher::create(std::shared_ptr<platform::CaptureDevices> devices,
                          concurrency::MainExecutor& executor) {
    auto source =
        std::make_shared<SystemCaptureDevices>(std::move(devices), std::make_shared<MainQueue>(executor));
    return create(std::move(source), executor, defaultBackstopInterval);
}

std::shared_ptr<CaptureUseWatcher>
CaptureUseWatcher::create(std::shared_ptr<CaptureDeviceSource> source, concurrency::MainExecutor& executor,
                          std::optional<concurrency::Duration> backstopInterval, concurrency::Sleep sleep) {
    return std::shared_ptr<CaptureUseWatcher>(
        new CaptureUseWatcher(std::move(source), executor, backstopInterval, std::move(sleep)));
}

CaptureUseWatcher::CaptureUseWatcher(std::shared_ptr<CaptureDeviceSource> source,
                                     concurrency::MainExecutor& executor,
                                     std::optional<concurrency::Duration> backstopInterval,
                                     concurrency::Sleep sleep)
    : source_(std::move(source)), executor_(executor), backstopInterval_(backstopInterval),
      sleep_(std::move(sleep)) {}

CaptureUseWatcher::~CaptureUseWatcher() {
    // The listeners stay with the platform until `stop`; they hold the watcher
    // weakly and do nothing now. The backstop would end at its next wake-up
    // anyway; this ends it at once.
    if (backstop_) {
        backstop_->cancel();
    }
}

CaptureDeviceSource::Handler CaptureUseWatcher::refreshHandler() {
    return [weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->refresh();
        }
    };
}

void CaptureUseWatcher::start(ChangeHandler onChange) {
    if (onChange_ || !onChange) {
        return;
    }
    onChange_ = std::move(onChange);
    for (CaptureDeviceKind kind : kinds) {
        // A refused list listener is left to the backstop.
        source_->watchDevices(kind, refreshHandler());
    }
    attachNewDevices();
    current_ = measure();
    if (backstopInterval_) {
        backstop_ = concurrency::spawn(executor_, backstopLoop(weak_from_this(), *backstopInterval_, sleep_));
    }
}

void CaptureUseWatcher::stop() {
    if (backstop_) {
        backstop_->cancel();
        backstop_.reset();
    }
    source_->unwatchAll();
    watched_.clear();
    onChange_ = nullptr;
}

concurrency::Task<void> CaptureUseWatcher::backstopLoop(std::weak_ptr<CaptureUseWatcher> weak,
                                                        concurrency::Duration interval,
                                                        concurrency::Sleep sleep) {
    while (!concurrency::isCancelled()) {
        co_await sleep(interval);
        if (concurrency::isCancelled()) {
            co_return; // stopped during the sleep
        }
        std::shared_ptr<CaptureUseWatcher> self = weak.lock();
        if (!self) {
            co_return;
        }
        self->refresh();
    } // `self` is released here, before the next sleep
}

void CaptureUseWatcher::attachNewDevices() {
    for (CaptureDeviceKind kind : kinds) {
        auto ids = source_->deviceIDs(kind);
        if (!ids) {
            continue; // unreadable: keep what is watched
        }
        // Unplugged devices leave the set; their listeners stay with the
        // platform until `unwatchAll`.
        std::erase_if(watched_, [&](const DeviceKey& key) {
            return key.kind == kind && std::find(ids->begin(), ids->end(), key.id) == ids->end();
        });
        for (std::uint32_t id : *ids) {
            const DeviceKey key{kind, id};
            if (watched_.contains(key)) {
                continue;
            }
            // A refused listener stays out of the set, so the next attach tries again.
            if (source_->watchRunning(id, kind, refreshHandler())) {
                watched_.insert(key);
            }
        }
    }
}

bool CaptureUseWatcher::anyInUse(CaptureDeviceKind kind) {
    auto ids = source_->deviceIDs(kind);
    if (!ids) {
        return true;
    }
    for (std::uint32_t id : *ids) {
        auto running = source_->isRunningSomewhere(id, kind);
        if (!running || *running) {
            return true;
        }
    }
    return false;
}

CaptureUse CaptureUseWatcher::measure() {
    const bool camera = anyInUse(CaptureDeviceKind::camera);
    const bool microphone = anyInUse(CaptureDeviceKind::microphone);
    return CaptureUse{camera, microphone};
}

void CaptureUseWatcher::refresh() {
    if (!onChange_) {
        return;
    }
    attachNewDevices();
    const CaptureUse measured = measure();
    if (measured == current_) {
        return;
    }
    current_ = measured;
    ChangeHandler handler = onChange_; // the handler may stop the watcher
    handler(measured);
}

} // namespace pellacor::system
