#include "MenuBarSystem/Private/MenuBarLayoutShim.h"

#include <cmath>

namespace pellacor::system {

using platform::PropertyListValue;

MenuBarLayoutShim::MenuBarLayoutShim(std::shared_ptr<platform::PreferencesDomain> preferences,
                                     std::shared_ptr<platform::FileManager> fileManager)
    : preferences_(std::move(preferences)), folder_(std::move(fileManager)) {}

std::string MenuBarLayoutShim::applicationID() const {
    return (folder_.url() / preferencesFile).string();
}

bool MenuBarLayoutShim::canAccess() const {
    return folder_.fileManager()->contentsOfDirectory(folder_.url()).has_value();
}

std::optional<PropertyListValue::Dictionary> MenuBarLayoutShim::storedDictionary() const {
    auto value = preferences_->copyValue(std::string(preferencesKey), applicationID());
    if (!value || value->dictionaryValue() == nullptr) {
        return std::nullopt;
    }
    return *value->dictionaryValue();
}

std::optional<core::LayoutTable> MenuBarLayoutShim::readTable() const {
    auto dictionary = storedDictionary();
    if (!dictionary) {
        return std::nullopt;
    }
    return numbers(*dictionary);
}

core::LayoutTable MenuBarLayoutShim::numbers(const PropertyListValue::Dictionary& dictionary) {
    core::LayoutTable table;
    for (const auto& [key, value] : dictionary) {
        if (auto integer = value.integerValue()) {
            table.emplace(key, static_cast<double>(*integer));
        } else if (auto real = value.realValue(); real && std::isfinite(*real)) {
            table.emplace(key, *real);
        }
    }
    return table;
}

MenuBarLayoutShim::WriteResult MenuBarLayoutShim::write(const core::LayoutTable& entries,
                                                        const core::LayoutTable& expected) const {
    auto stored = storedDictionary();
    if (!stored) {
        return WriteResult::tableMissing();
    }
    if (numbers(*stored) != expected) {
        return WriteResult::tableChanged();
    }
    for (const auto& [key, position] : entries) {
        stored->insert_or_assign(key, PropertyListValue::real(position));
    }
    PropertyListValue merged(std::move(*stored));
    if (!merged.isStorable()) {
        return WriteResult::refused();
    }
    const std::string domain = applicationID();
    preferences_->setValue(std::string(preferencesKey), std::move(merged), domain);
    if (!preferences_->synchronize(domain)) {
        return WriteResult::tableMissing();
    }
    auto readBack = readTable();
    if (!readBack) {
        return WriteResult::tableMissing();
    }
    return WriteResult::written(std::move(*readBack));
}

} // namespace pellacor::system
