#include "Platform/Simulated/SimulatedPreferencesDomain.h"

#include "MenuBarCore/Support/Log.h"
#include "Platform/PropertyListFile.h"

#include <atomic>
#include <vector>

namespace pellacor::platform {

// One observer of one key. `delivery` is held while its handler runs, so an
// invalidation waits for a call in progress (unless the handler invalidates
// its own observation, on the same thread).
struct SimulatedPreferencesDomain::Observer {
    std::string key;
    std::string domain;
    Handler handler;
    std::recursive_mutex delivery;
    std::atomic<bool> active{true};
    std::optional<PropertyListValue> last;
};

class SimulatedPreferencesDomain::ValueObservation final : public Observation {
public:
    explicit ValueObservation(std::shared_ptr<Observer> observer) : observer_(std::move(observer)) {}
    ~ValueObservation() override { invalidate(); }
    ValueObservation(const ValueObservation&) = delete;
    ValueObservation& operator=(const ValueObservation&) = delete;

    void invalidate() override {
        std::lock_guard lock(observer_->delivery);
        observer_->active = false;
    }

private:
    std::shared_ptr<Observer> observer_;
};

SimulatedPreferencesDomain::SimulatedPreferencesDomain(std::shared_ptr<SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

SimulatedPreferencesDomain::~SimulatedPreferencesDomain() = default;

std::optional<PropertyListValue> SimulatedPreferencesDomain::copyValue(const std::string& key,
                                                                       const std::string& domain) {
    const std::filesystem::path file(domain);
    if (!file.is_absolute()) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    if (auto changes = pending_.find(domain); changes != pending_.end()) {
        if (auto change = changes->second.find(key); change != changes->second.end()) {
            return change->second;
        }
    }
    if (!desktop_->isAccessible(file)) {
        return std::nullopt;
    }
    auto contents = read(file);
    if (contents.status != PropertyListFile::ReadResult::Status::ok) {
        return std::nullopt;
    }
    auto value = contents.dictionary.find(key);
    if (value == contents.dictionary.end()) {
        return std::nullopt;
    }
    return value->second;
}

void SimulatedPreferencesDomain::setValue(const std::string& key, std::optional<PropertyListValue> value,
                                          const std::string& domain) {
    {
        std::lock_guard lock(mutex_);
        pending_[domain].insert_or_assign(key, std::move(value));
    }
    tellObservers(domain);
}

bool SimulatedPreferencesDomain::synchronize(const std::string& domain) {
    const std::filesystem::path file(domain);
    if (!file.is_absolute()) {
        return false;
    }
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        auto changes = pending_.find(domain);
        // What could not be written is dropped: left pending, it would read
        // back as if it were in the file, and hide the file's own contents
        // from every later read.
        const bool written =
            desktop_->isAccessible(file) && (changes == pending_.end() || store(file, changes->second));
        if (changes != pending_.end()) {
            pending_.erase(changes);
        }
        if (!written) {
            failed = true;
        }
    }
    if (failed) {
        tellObservers(domain);
        return false;
    }
    desktop_->reloadLayoutTable();
    tellObservers(domain);
    return true;
}

std::unique_ptr<PreferencesObserving::Observation>
SimulatedPreferencesDomain::observeValue(const std::string& key, const std::string& domain,
                                         Handler onChange) {
    auto observer = std::make_shared<Observer>();
    observer->key = key;
    observer->domain = domain;
    observer->handler = std::move(onChange);
    observer->last = copyValue(key, domain);
    {
        std::lock_guard lock(observersMutex_);
        observers_.emplace(nextObserver_++, observer);
    }
    return std::make_unique<ValueObservation>(std::move(observer));
}

void SimulatedPreferencesDomain::tellObservers(const std::string& domain) {
    std::vector<std::shared_ptr<Observer>> observers;
    {
        std::lock_guard lock(observersMutex_);
        for (auto it = observers_.begin(); it != observers_.end();) {
            if (!it->second->active) {
                it = observers_.erase(it);
                continue;
            }
            if (it->second->domain == domain) {
                observers.push_back(it->second);
            }
            ++it;
        }
    }
    for (const auto& observer : observers) {
        auto value = copyValue(observer->key, domain);
        std::lock_guard delivery(observer->delivery);
        if (!observer->active || value == observer->last) {
            continue;
        }
        observer->last = std::move(value);
        if (observer->handler) {
            observer->handler(observer->key);
        }
    }
}

PropertyListFile::ReadResult SimulatedPreferencesDomain::read(const std::filesystem::path& file) {
    auto contents = PropertyListFile::read(file);
    const std::string path = file.string();
    if (contents.status != PropertyListFile::ReadResult::Status::unreadable) {
        reportedUnreadable_.erase(path);
    } else if (reportedUnreadable_.insert(path).second) {
        // Once while it stays so: every read of every key comes here.
        core::Log("preferences")
            .error(
                "cannot read the preference file {}: {}; its values are ignored, and it is not overwritten",
                path, contents.reason);
    }
    return contents;
}

bool SimulatedPreferencesDomain::store(const std::filesystem::path& file, const Changes& changes) {
    auto contents = read(file);
    if (contents.status == PropertyListFile::ReadResult::Status::unreadable) {
        return false;
    }
    for (const auto& [key, value] : changes) {
        if (value) {
            contents.dictionary.insert_or_assign(key, *value);
        } else {
            contents.dictionary.erase(key);
        }
    }
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        return false;
    }
    return PropertyListFile::write(file, contents.dictionary);
}

} // namespace pellacor::platform
