#include "Platform/Simulated/SimulatedRestrictionService.h"

#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedRuntimeLoader.h"

#include <algorithm>

namespace pellacor::platform {

namespace {
constexpr std::string_view initSelector = "initWithAllowedSystemItems:allowedBundleIdentifiers:";
constexpr std::string_view activateSelector = "activateWithConfiguration:completionHandler:";
constexpr std::string_view invalidateSelector = "invalidate";
// What the framework reports when it cannot activate an assertion it was given.
constexpr std::uint64_t invalidActivationError = 22;
} // namespace

class SimulatedRestrictionService::Configuration final : public SimulatedRuntimeLoader::Instance {
public:
    Configuration() : Instance(std::string(configurationClassName)) {}
    bool initialized = false;
    std::vector<std::int64_t> systemItems;
    std::vector<std::string> bundleIdentifiers;
};

// Ends itself when the last reference goes, as an assertion object does when it is deallocated.
class SimulatedRestrictionService::Assertion final : public SimulatedRuntimeLoader::Instance {
public:
    Assertion(std::uint64_t id, std::weak_ptr<SimulatedRestrictionService> service)
        : Instance(std::string(assertionClassName)), id(id), service_(std::move(service)) {}
    ~Assertion() override {
        if (auto service = service_.lock()) {
            service->released(id);
        }
    }
    const std::uint64_t id;

private:
    std::weak_ptr<SimulatedRestrictionService> service_;
};

std::shared_ptr<SimulatedRestrictionService>
SimulatedRestrictionService::create(std::shared_ptr<SimulatedDesktop> desktop) {
    return std::shared_ptr<SimulatedRestrictionService>(new SimulatedRestrictionService(std::move(desktop)));
}

SimulatedRestrictionService::SimulatedRestrictionService(std::shared_ptr<SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

SimulatedRestrictionService::~SimulatedRestrictionService() {
    std::vector<Delivery> deliveries;
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
        deliveries = std::move(deliveries_);
    }
    shutdownSignal_.notify_all();
    for (auto& delivery : deliveries) {
        if (delivery.thread.get_id() == std::this_thread::get_id()) {
            delivery.thread.detach();
        } else if (delivery.thread.joinable()) {
            delivery.thread.join();
        }
    }
}

void SimulatedRestrictionService::install(SimulatedRuntimeLoader& loader) {
    const std::string library(frameworkPath);
    loader.registerLibrary(library);
    std::weak_ptr<SimulatedRestrictionService> weak = weak_from_this();

    SimulatedRuntimeLoader::ClassDefinition configuration;
    configuration.name = std::string(configurationClassName);
    configuration.libraryPath = library;
    configuration.makeInstance = [weak]() -> RuntimeObjectRef {
        auto service = weak.lock();
        return service ? service->makeConfiguration() : nullptr;
    };
    configuration.classMethods["alloc"] = {2,
                                           [weak](const RuntimeObjectRef&, const std::string&,
                                                  const std::vector<RuntimeArgument>&) -> RuntimeObjectRef {
                                               auto service = weak.lock();
                                               return service ? service->makeConfiguration() : nullptr;
                                           }};
    configuration.instanceMethods[std::string(initSelector)] = {
        4,
        [](const RuntimeObjectRef& receiver, const std::string&,
           const std::vector<RuntimeArgument>& arguments) -> RuntimeObjectRef {
            auto config = std::dynamic_pointer_cast<Configuration>(receiver);
            if (!config || arguments.size() != 2) {
                return nullptr;
            }
            auto* items = std::get_if<std::vector<std::int64_t>>(&arguments[0]);
            auto* bundles = std::get_if<std::vector<std::string>>(&arguments[1]);
            if (items == nullptr || bundles == nullptr) {
                return nullptr;
            }
            config->systemItems = *items;
            config->bundleIdentifiers = *bundles;
            config->initialized = true;
            return config;
        }};
    loader.registerClass(std::move(configuration));

    SimulatedRuntimeLoader::ClassDefinition assertion;
    assertion.name = std::string(assertionClassName);
    assertion.libraryPath = library;
    assertion.makeInstance = [weak]() -> RuntimeObjectRef {
        auto service = weak.lock();
        return service ? service->makeAssertion() : nullptr;
    };
    assertion.instanceMethods[std::string(activateSelector)] = {
        4,
        [weak](const RuntimeObjectRef& receiver, const std::string&,
               const std::vector<RuntimeArgument>& arguments) -> RuntimeObjectRef {
            auto service = weak.lock();
            auto* target = dynamic_cast<Assertion*>(receiver.get());
            if (!service || target == nullptr || arguments.size() != 2) {
                return nullptr;
            }
            auto* config = std::get_if<RuntimeObjectRef>(&arguments[0]);
            auto* block = std::get_if<CompletionBlock>(&arguments[1]);
            if (config == nullptr || block == nullptr || !*block) {
                return nullptr;
            }
            service->activate(target->id, *config, *block);
            return nullptr;
        }};
    assertion.instanceMethods[std::string(invalidateSelector)] = {
        2,
        [weak](const RuntimeObjectRef& receiver, const std::string&,
               const std::vector<RuntimeArgument>&) -> RuntimeObjectRef {
            auto service = weak.lock();
            auto* target = dynamic_cast<Assertion*>(receiver.get());
            if (service && target != nullptr) {
                service->invalidate(target->id);
            }
            return nullptr;
        }};
    loader.registerClass(std::move(assertion));
}

void SimulatedRestrictionService::setCompletionMode(CompletionMode mode, std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    mode_ = mode;
    delay_ = delay;
}

void SimulatedRestrictionService::setCompletionError(std::uint64_t code) {
    std::lock_guard lock(mutex_);
    completionError_ = code;
}

void SimulatedRestrictionService::setRefusesConfiguration(bool refuses) {
    std::lock_guard lock(mutex_);
    refusesConfiguration_ = refuses;
}

void SimulatedRestrictionService::setActivatesAfterInvalidation(bool activates) {
    std::lock_guard lock(mutex_);
    activatesAfterInvalidation_ = activates;
}

RuntimeObjectRef SimulatedRestrictionService::makeConfiguration() {
    std::lock_guard lock(mutex_);
    if (refusesConfiguration_) {
        return nullptr;
    }
    return std::make_shared<Configuration>();
}

RuntimeObjectRef SimulatedRestrictionService::makeAssertion() {
    std::lock_guard lock(mutex_);
    AssertionRecord record;
    record.id = nextId_++;
    records_.push_back(record);
    return std::make_shared<Assertion>(record.id, weak_from_this());
}

SimulatedRestrictionService::AssertionRecord* SimulatedRestrictionService::findLocked(std::uint64_t id) {
    auto it = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.id == id; });
    return it == records_.end() ? nullptr : &*it;
}

void SimulatedRestrictionService::activate(std::uint64_t id, const RuntimeObjectRef& configurationObject,
                                           CompletionBlock block) {
    auto config = std::dynamic_pointer_cast<Configuration>(configurationObject);
    CompletionMode mode;
    std::chrono::milliseconds delay;
    {
        std::lock_guard lock(mutex_);
        AssertionRecord* record = findLocked(id);
        if (record == nullptr || record->activationSent) {
            return;
        }
        ++activations_;
        record->activationSent = true;
        if (config && config->initialized) {
            record->allowedSystemItems = config->systemItems;
            record->allowedBundleIdentifiers = config->bundleIdentifiers;
            record->configured = true;
        }
        mode = mode_;
        delay = delay_;
        if (mode == CompletionMode::held) {
            pending_.push_back({id, std::move(block)});
            return;
        }
    }
    if (mode == CompletionMode::never) {
        return;
    }
    startDelivery(id, std::move(block),
                  mode == CompletionMode::delayed ? delay : std::chrono::milliseconds(0));
}

void SimulatedRestrictionService::reapFinishedLocked(std::vector<std::thread>& finished) {
    auto done = std::partition(deliveries_.begin(), deliveries_.end(),
                               [](const Delivery& d) { return !d.finished->load(); });
    for (auto it = done; it != deliveries_.end(); ++it) {
        finished.push_back(std::move(it->thread));
    }
    deliveries_.erase(done, deliveries_.end());
}

void SimulatedRestrictionService::startDelivery(std::uint64_t id, CompletionBlock block,
                                                std::chrono::milliseconds delay) {
    std::vector<std::thread> finished;
    {
        std::lock_guard lock(mutex_);
        if (shuttingDown_) {
            return;
        }
        reapFinishedLocked(finished);
        auto flag = std::make_shared<std::atomic<bool>>(false);
        // The thread holds no reference to the service: the destructor joins it first.
        std::thread thread([this, id, block = std::move(block), delay, flag] {
            bool proceed = true;
            std::uint64_t error = 0;
            {
                std::unique_lock wait(mutex_);
                if (delay.count() > 0) {
                    shutdownSignal_.wait_for(wait, delay, [this] { return shuttingDown_; });
                }
                proceed = !shuttingDown_;
                error = completionError_;
            }
            if (proceed) {
                deliver(id, block, error);
            }
            flag->store(true);
        });
        deliveries_.push_back({std::move(thread), std::move(flag)});
    }
    for (auto& thread : finished) {
        thread.join();
    }
}

std::size_t SimulatedRestrictionService::pendingCompletionCount() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

std::size_t SimulatedRestrictionService::releasePendingCompletions() {
    std::vector<PendingCompletion> pending;
    std::uint64_t error = 0;
    {
        std::lock_guard lock(mutex_);
        pending = std::move(pending_);
        pending_.clear();
        error = completionError_;
    }
    std::vector<std::thread> threads;
    threads.reserve(pending.size());
    for (auto& completion : pending) {
        threads.emplace_back([this, &completion, error] { deliver(completion.id, completion.block, error); });
        // One at a time, so the order of completions is the order of activations.
        threads.back().join();
    }
    return pending.size();
}

bool SimulatedRestrictionService::releasePendingCompletion(std::uint64_t assertionId) {
    PendingCompletion completion;
    std::uint64_t error = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(pending_.begin(), pending_.end(),
                               [&](const auto& p) { return p.id == assertionId; });
        if (it == pending_.end()) {
            return false;
        }
        completion = std::move(*it);
        pending_.erase(it);
        error = completionError_;
    }
    std::thread([this, &completion, error] { deliver(completion.id, completion.block, error); }).join();
    return true;
}

void SimulatedRestrictionService::waitForDeliveries() {
    for (;;) {
        std::vector<Delivery> deliveries;
        {
            std::lock_guard lock(mutex_);
            deliveries = std::move(deliveries_);
            deliveries_.clear();
        }
        if (deliveries.empty()) {
            return;
        }
        for (auto& delivery : deliveries) {
            delivery.thread.join();
        }
    }
}

void SimulatedRestrictionService::deliver(std::uint64_t id, const CompletionBlock& block,
                                          std::uint64_t error) {
    const bool known = changeAssertion(id, [&](AssertionRecord& record) {
        record.completed = true;
        record.completionThread = std::this_thread::get_id();
        if (error != 0 || !record.configured) {
            record.completedWithError = true;
            if (error == 0) {
                error = invalidActivationError;
            }
            return false;
        }
        if (record.released || (record.invalidations != 0 && !activatesAfterInvalidation_)) {
            return false;
        }
        record.active = true;
        activationOrder_.push_back(id);
        return true;
    });
    if (known) {
        // The bar has changed before the client hears of it, as with the real service.
        block(error, 0);
    }
}

int SimulatedRestrictionService::holderEnded() {
    std::uint64_t revision = 0;
    int leftBehind = 0;
    {
        std::lock_guard lock(mutex_);
        for (auto& record : records_) {
            leftBehind += record.active && record.invalidations == 0 && !record.released ? 1 : 0;
            record.released = true;
            record.active = false;
        }
        activationOrder_.clear();
        revision = ++revision_;
    }
    publish(std::nullopt, revision);
    return leftBehind;
}

bool SimulatedRestrictionService::changeAssertion(std::uint64_t id,
                                                  const std::function<bool(AssertionRecord&)>& change) {
    std::optional<MenuBarRestriction> restriction;
    std::uint64_t revision = 0;
    {
        std::lock_guard lock(mutex_);
        AssertionRecord* record = findLocked(id);
        if (record == nullptr) {
            return false;
        }
        if (!change(*record)) {
            return true;
        }
        restriction = effectiveLocked();
        revision = ++revision_;
    }
    publish(std::move(restriction), revision);
    return true;
}

bool SimulatedRestrictionService::deactivateLocked(AssertionRecord& record) {
    if (!record.active) {
        return false;
    }
    record.active = false;
    activationOrder_.erase(std::remove(activationOrder_.begin(), activationOrder_.end(), record.id),
                           activationOrder_.end());
    if (activationOrder_.empty()) {
        Gap gap{record.id, {}};
        for (const auto& other : records_) {
            if (other.activationSent && !other.completed && other.invalidations == 0 && !other.released) {
                gap.pendingAssertions.push_back(other.id);
            }
        }
        if (!gap.pendingAssertions.empty()) {
            gaps_.push_back(std::move(gap));
        }
    }
    return true;
}

void SimulatedRestrictionService::invalidate(std::uint64_t id) {
    {
        std::lock_guard lock(mutex_);
        ++invalidations_;
    }
    changeAssertion(id, [this](AssertionRecord& record) {
        ++record.invalidations;
        return deactivateLocked(record);
    });
}

void SimulatedRestrictionService::released(std::uint64_t id) {
    changeAssertion(id, [this](AssertionRecord& record) {
        record.released = true;
        return deactivateLocked(record);
    });
}

std::optional<MenuBarRestriction> SimulatedRestrictionService::effectiveLocked() const {
    if (activationOrder_.empty()) {
        return std::nullopt;
    }
    const std::uint64_t newest = activationOrder_.back();
    auto it = std::find_if(records_.begin(), records_.end(), [&](const auto& r) { return r.id == newest; });
    MenuBarRestriction restriction;
    restriction.allowedSystemItems.insert(it->allowedSystemItems.begin(), it->allowedSystemItems.end());
    restriction.allowedBundleIdentifiers.insert(it->allowedBundleIdentifiers.begin(),
                                                it->allowedBundleIdentifiers.end());
    return restriction;
}

void SimulatedRestrictionService::publish(std::optional<MenuBarRestriction> restriction,
                                          std::uint64_t revision) {
    if (desktop_) {
        desktop_->setRestriction(std::move(restriction), revision);
    }
}

int SimulatedRestrictionService::activationCount() const {
    std::lock_guard lock(mutex_);
    return activations_;
}

int SimulatedRestrictionService::invalidationCount() const {
    std::lock_guard lock(mutex_);
    return invalidations_;
}

std::size_t SimulatedRestrictionService::activeAssertionCount() const {
    std::lock_guard lock(mutex_);
    return activationOrder_.size();
}

std::vector<SimulatedRestrictionService::AssertionRecord> SimulatedRestrictionService::assertions() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::optional<SimulatedRestrictionService::AssertionRecord>
SimulatedRestrictionService::assertion(std::uint64_t id) const {
    std::lock_guard lock(mutex_);
    for (const auto& record : records_) {
        if (record.id == id) {
            return record;
        }
    }
    return std::nullopt;
}

std::size_t SimulatedRestrictionService::gapCount() const {
    std::lock_guard lock(mutex_);
    return gaps_.size();
}

std::vector<SimulatedRestrictionService::Gap> SimulatedRestrictionService::gaps() const {
    std::lock_guard lock(mutex_);
    return gaps_;
}

} // namespace pellacor::platform
