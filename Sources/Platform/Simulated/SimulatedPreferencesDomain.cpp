#include "Platform/Simulated/SimulatedPreferencesDomain.h"

#include "Platform/PropertyListFile.h"

namespace pellacor::platform {

SimulatedPreferencesDomain::SimulatedPreferencesDomain(std::shared_ptr<SimulatedDesktop> desktop)
    : desktop_(std::move(desktop)) {}

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
    auto contents = PropertyListFile::read(file);
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
    std::lock_guard lock(mutex_);
    pending_[domain].insert_or_assign(key, std::move(value));
}

bool SimulatedPreferencesDomain::synchronize(const std::string& domain) {
    const std::filesystem::path file(domain);
    if (!file.is_absolute()) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        if (!desktop_->isAccessible(file)) {
            return false;
        }
        auto changes = pending_.find(domain);
        if (changes != pending_.end()) {
            if (!store(file, changes->second)) {
                return false;
            }
            pending_.erase(changes);
        }
    }
    desktop_->reloadLayoutTable();
    return true;
}

bool SimulatedPreferencesDomain::store(const std::filesystem::path& file, const Changes& changes) {
    auto contents = PropertyListFile::read(file);
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
