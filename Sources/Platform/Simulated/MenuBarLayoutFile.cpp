#include "Platform/Simulated/MenuBarLayoutFile.h"

#include "Platform/PropertyListFile.h"

#include <cmath>

namespace pellacor::platform {

std::filesystem::path MenuBarLayoutFile::container(const std::filesystem::path& home) {
    return home / containerFolder;
}

std::filesystem::path MenuBarLayoutFile::location(const std::filesystem::path& home) {
    return container(home) / preferencesFile;
}

MenuBarLayoutFile::Positions MenuBarLayoutFile::positions(const PropertyListValue::Dictionary& contents) {
    Positions result;
    auto table = contents.find(std::string(positionsKey));
    if (table == contents.end() || table->second.dictionaryValue() == nullptr) {
        return result;
    }
    for (const auto& [key, value] : *table->second.dictionaryValue()) {
        if (auto real = value.realValue(); real && std::isfinite(*real)) {
            result.emplace(key, *real);
        } else if (auto integer = value.integerValue()) {
            result.emplace(key, static_cast<double>(*integer));
        }
    }
    return result;
}

MenuBarLayoutFile::Positions MenuBarLayoutFile::read(const std::filesystem::path& file) {
    return positions(PropertyListFile::read(file).dictionary);
}

bool MenuBarLayoutFile::write(const std::filesystem::path& file, const Positions& positions) {
    auto current = PropertyListFile::read(file);
    if (current.status == PropertyListFile::ReadResult::Status::unreadable) {
        return false;
    }
    PropertyListValue::Dictionary table;
    for (const auto& [key, position] : positions) {
        table.emplace(key, PropertyListValue::real(position));
    }
    current.dictionary[std::string(positionsKey)] = PropertyListValue(std::move(table));
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return !error && PropertyListFile::write(file, current.dictionary);
}

std::string MenuBarLayoutFile::key(std::string_view ownerBundleIdentifier, std::string_view itemName) {
    return "status:" + std::string(ownerBundleIdentifier) + "::" + std::string(itemName);
}

} // namespace pellacor::platform
