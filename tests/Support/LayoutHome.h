#pragma once

#include "Platform/PropertyListValue.h"
#include "Platform/Simulated/SimulatedDesktop.h"
#include "Platform/Simulated/SimulatedFileManager.h"
#include "Platform/Simulated/SimulatedPreferencesDomain.h"
#include "Support/HookedPreferencesDomain.h"
#include "Support/TempDir.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace pellacor::testing {

// A simulated desktop with a home folder in a fresh temporary folder, the menu
// bar's group container granted, and the platform's preferences and file
// manager over it. Writes and reads the menu bar's preference file directly.
class LayoutHome {
public:
    LayoutHome();

    const std::filesystem::path& home() const { return dir_.path(); }
    // The menu bar's preference file.
    std::filesystem::path layoutFile() const;

    // Stores the layout table (any values) in the preference file, next to one
    // unrelated setting, and lets the desktop read it.
    void storeTable(const platform::PropertyListValue::Dictionary& table) const;
    // Stores any value under the table's key.
    void storeValue(const platform::PropertyListValue& value) const;
    // The stored table's dictionary; nothing when absent or not a dictionary.
    std::optional<platform::PropertyListValue::Dictionary> storedTable() const;
    // Puts these bytes in place of the preference file and lets the desktop read it.
    void storeFileBytes(const std::string& bytes) const;
    // The preference file's bytes.
    std::string fileBytes() const;

    std::shared_ptr<platform::SimulatedDesktop> desktop = std::make_shared<platform::SimulatedDesktop>();
    std::shared_ptr<platform::SimulatedPreferencesDomain> simulatedPreferences =
        std::make_shared<platform::SimulatedPreferencesDomain>(desktop);
    std::shared_ptr<HookedPreferencesDomain> preferences =
        std::make_shared<HookedPreferencesDomain>(simulatedPreferences);
    std::shared_ptr<platform::SimulatedFileManager> fileManager =
        std::make_shared<platform::SimulatedFileManager>(desktop);

private:
    TempDir dir_;
};

} // namespace pellacor::testing
