#pragma once

#include "Platform/PropertyListValue.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace pellacor::platform {

// The simulated menu bar's own preference file, in its group container under
// the user's home folder, and how the menu bar reads its layout table: the
// dictionary under "TrailingItemPreferredPositions", from item key
// ("status:" + owner bundle identifier + "::" + item name) to position, a larger
// position further left. The menu bar takes the entries holding a finite
// integer or real and passes over every other entry.
class MenuBarLayoutFile {
public:
    using Positions = std::map<std::string, double>;

    static constexpr std::string_view containerFolder = "Library/Group Containers/com.apple.MenuBar";
    static constexpr std::string_view preferencesFile = "Library/Preferences/com.apple.MenuBar.plist";
    static constexpr std::string_view positionsKey = "TrailingItemPreferredPositions";

    // The group container and the preference file inside it, under a home folder.
    static std::filesystem::path container(const std::filesystem::path& home);
    static std::filesystem::path location(const std::filesystem::path& home);

    // The positions in a preference file's contents.
    static Positions positions(const PropertyListValue::Dictionary& contents);
    // The positions stored in the file; none when it is missing or unreadable.
    static Positions read(const std::filesystem::path& file);

    // Stores these positions as the table, the way the menu bar itself does after
    // a Command-drag: the file's other settings kept, its folders created. False
    // when the file exists but cannot be read (it is left alone) or the write fails.
    static bool write(const std::filesystem::path& file, const Positions& positions);

    // The key of an item in the table.
    static std::string key(std::string_view ownerBundleIdentifier, std::string_view itemName);
};

} // namespace pellacor::platform
