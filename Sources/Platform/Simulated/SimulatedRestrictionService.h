#pragma once

#include "Platform/RuntimeObject.h"
#include "Platform/Simulated/MenuBarRestriction.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pellacor::platform {

class SimulatedDesktop;
class SimulatedRuntimeLoader;

// The private menu-bar framework of the simulated desktop: configuration and
// assertion classes registered with the simulated runtime. An activated
// assertion restricts the desktop's menu bar to its configuration; the bar shows
// what the newest active assertion allows, and everything when none is active.
//
// The completion handler of an activation runs on a thread of its own, as the
// real framework's does: at once, after a real delay, when a test releases it,
// or never; it may report an error, in which case the assertion stays inactive.
// The service records every activation and invalidation, and every moment the
// bar lost its last active assertion while another activation was still
// pending, which is the gap a replacement must never open.
class SimulatedRestrictionService : public std::enable_shared_from_this<SimulatedRestrictionService> {
public:
    static constexpr std::string_view frameworkPath =
        "/System/Library/PrivateFrameworks/MenuBarClientCore.framework/MenuBarClientCore";
    static constexpr std::string_view configurationClassName = "MBAssessmentModeConfiguration";
    static constexpr std::string_view assertionClassName = "MBAssessmentModeAssertion";

    enum class CompletionMode { immediate, delayed, held, never };

    struct AssertionRecord {
        std::uint64_t id = 0;
        std::vector<std::int64_t> allowedSystemItems;
        std::vector<std::string> allowedBundleIdentifiers;
        bool activationSent = false;
        bool configured = false; // activated with a complete configuration
        bool completed = false;
        bool completedWithError = false;
        bool active = false;
        bool released = false; // the assertion object went away
        int invalidations = 0;
        std::optional<std::thread::id> completionThread;
    };

    // The bar lost its last active assertion while these activations were pending.
    struct Gap {
        std::uint64_t endedAssertion = 0;
        std::vector<std::uint64_t> pendingAssertions;
    };

    static std::shared_ptr<SimulatedRestrictionService> create(std::shared_ptr<SimulatedDesktop> desktop);
    ~SimulatedRestrictionService();
    SimulatedRestrictionService(const SimulatedRestrictionService&) = delete;
    SimulatedRestrictionService& operator=(const SimulatedRestrictionService&) = delete;

    // Registers the framework's library and classes with the runtime.
    void install(SimulatedRuntimeLoader& loader);

    // How later activations complete. `delay` is a real duration, used by `delayed`.
    void setCompletionMode(CompletionMode mode,
                           std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    // Non-zero: later activations complete with this error and do not take effect.
    void setCompletionError(std::uint64_t code);
    // The configuration class refuses to make configurations ("alloc" answers nil).
    void setRefusesConfiguration(bool refuses);
    // Whether an assertion invalidated before its completion still becomes active
    // when the completion comes (the race a client must answer with a second
    // "invalidate"). On by default: the simulation assumes the worse case.
    void setActivatesAfterInvalidation(bool activates);

    // Held completions not yet delivered.
    std::size_t pendingCompletionCount() const;
    // Delivers every held completion, oldest first, each on a new thread of its
    // own, and returns once all of their handlers have returned. Returns how many.
    std::size_t releasePendingCompletions();
    // Delivers the held completion of one assertion the same way; false when none is held for it.
    bool releasePendingCompletion(std::uint64_t assertionId);
    // Waits until every completion already on its way (immediate or delayed) has been delivered.
    void waitForDeliveries();
    // The process that held the assertions has ended. As the system does then,
    // every assertion ends, active or still activating, and a completion that
    // comes later brings none back. The program cannot end an activating
    // assertion a second time once its run loop has stopped. Answers how many
    // were still active that the holder had never ended: those it left behind.
    int holderEnded();

    int activationCount() const;
    int invalidationCount() const;
    std::size_t activeAssertionCount() const;
    std::vector<AssertionRecord> assertions() const;
    std::optional<AssertionRecord> assertion(std::uint64_t id) const;
    std::size_t gapCount() const;
    std::vector<Gap> gaps() const;

private:
    class Configuration;
    class Assertion;
    struct PendingCompletion {
        std::uint64_t id = 0;
        CompletionBlock block;
    };
    struct Delivery {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    explicit SimulatedRestrictionService(std::shared_ptr<SimulatedDesktop> desktop);

    RuntimeObjectRef makeConfiguration();
    RuntimeObjectRef makeAssertion();
    void activate(std::uint64_t id, const RuntimeObjectRef& configuration, CompletionBlock block);
    void invalidate(std::uint64_t id);
    void released(std::uint64_t id);
    void deliver(std::uint64_t id, const CompletionBlock& block, std::uint64_t error);
    void startDelivery(std::uint64_t id, CompletionBlock block, std::chrono::milliseconds delay);
    void reapFinishedLocked(std::vector<std::thread>& finished);

    AssertionRecord* findLocked(std::uint64_t id);
    // Ends an active assertion, noting a gap; returns whether the bar changed.
    bool deactivateLocked(AssertionRecord& record);
    std::optional<MenuBarRestriction> effectiveLocked() const;
    // Runs `change` on the assertion's record under the lock and, when it says
    // the bar changed, publishes the new restriction outside it. False when
    // there is no such assertion.
    bool changeAssertion(std::uint64_t id, const std::function<bool(AssertionRecord&)>& change);
    // Hands the bar's restriction to the desktop, outside the lock.
    void publish(std::optional<MenuBarRestriction> restriction, std::uint64_t revision);

    std::shared_ptr<SimulatedDesktop> desktop_;

    mutable std::mutex mutex_;
    std::condition_variable shutdownSignal_;
    bool shuttingDown_ = false;
    CompletionMode mode_ = CompletionMode::immediate;
    std::chrono::milliseconds delay_{0};
    std::uint64_t completionError_ = 0;
    bool refusesConfiguration_ = false;
    bool activatesAfterInvalidation_ = true;
    std::uint64_t nextId_ = 1;
    std::vector<AssertionRecord> records_;
    std::vector<std::uint64_t> activationOrder_; // active assertions, oldest activation first
    std::vector<PendingCompletion> pending_;
    std::vector<Delivery> deliveries_;
    std::vector<Gap> gaps_;
    int activations_ = 0;
    int invalidations_ = 0;
    std::uint64_t revision_ = 0;
};

} // namespace pellacor::platform
