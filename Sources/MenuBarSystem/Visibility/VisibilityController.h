#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "Concurrency/Time.h"
#include "MenuBarSystem/Private/RestrictionBackend.h"
#include "MenuBarSystem/Private/RestrictionToken.h"
#include "MenuBarSystem/Visibility/RestrictionAttempt.h"
#include "MenuBarSystem/Visibility/VisibilityControlling.h"
#include "Platform/RuntimeLoader.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pellacor::system {

// Turns visibility plans into a restriction of the menu bar held by the private
// framework. A new restriction replaces the old one only once the framework has
// confirmed it, so the hidden items never show in between; an activation not
// confirmed in time is given up, and every failure leaves nothing restricted.
//
// Main thread only, except `isRestricting`, which any thread may read without a
// lock. Held by a shared pointer (see `create`): pending work holds it weakly.
class VisibilityController final : public VisibilityControlling,
                                   public std::enable_shared_from_this<VisibilityController> {
public:
    static constexpr concurrency::Duration defaultCompletionTimeout = std::chrono::seconds(1);

    // Binds the framework through the run-time loader; a completion time-out of 1 s.
    static std::shared_ptr<VisibilityController> create(concurrency::MainExecutor& executor,
                                                        std::shared_ptr<platform::RuntimeLoader> runtime,
                                                        const std::string& selfBundleID);
    // The general form; a null backend means hiding is unavailable.
    static std::shared_ptr<VisibilityController> create(concurrency::MainExecutor& executor,
                                                        std::shared_ptr<RestrictionBackend> backend,
                                                        const std::string& selfBundleID,
                                                        concurrency::Duration completionTimeout);
    VisibilityController(const VisibilityController&) = delete;
    VisibilityController& operator=(const VisibilityController&) = delete;

    core::VisibilityPlan currentPlan() const override { return currentPlan_; }
    concurrency::Task<SystemResult<core::VisibilityPlan>> apply(core::VisibilityPlan plan) override;
    void removeRestriction() override;

    // A backend is present.
    bool isHidingAvailable() const { return backend_ != nullptr; }
    // An assertion is held, being activated, or cancelled but possibly still
    // coming alive. Lock-free, for the hang watchdog's thread.
    bool isRestricting() const noexcept { return restricting_.load(std::memory_order_relaxed); }

    const std::string& selfBundleID() const { return selfBundleID_; }

private:
    VisibilityController(concurrency::MainExecutor& executor, std::shared_ptr<RestrictionBackend> backend,
                         const std::string& selfBundleID, concurrency::Duration completionTimeout);

    static concurrency::Task<SystemResult<core::VisibilityPlan>> run(std::weak_ptr<VisibilityController> weak,
                                                                     core::VisibilityPlan plan);

    void cancel(const std::shared_ptr<RestrictionAttempt>& attempt);
    void settled(const RestrictionAttempt* attempt);
    void updateRestricting();

    concurrency::MainExecutor& executor_;
    const std::shared_ptr<RestrictionBackend> backend_;
    const std::string selfBundleID_;
    const concurrency::Duration completionTimeout_;

    std::shared_ptr<RestrictionToken> token_;
    std::uint64_t generation_ = 0;
    std::shared_ptr<RestrictionAttempt> inFlight_;
    std::vector<std::shared_ptr<RestrictionAttempt>> lingering_;
    core::VisibilityPlan currentPlan_ = core::VisibilityPlan::noRestriction();
    std::atomic<bool> restricting_{false};
    static_assert(std::atomic<bool>::is_always_lock_free,
                  "the watchdog reads it while the main thread may be stuck");
};

} // namespace pellacor::system
