#pragma once

#include "MenuBarCore/Planning/LayoutTable.h"
#include "MenuBarSystem/Private/LayoutFolder.h"
#include "Platform/FileManager.h"
#include "Platform/PreferencesDomain.h"
#include "Platform/PropertyListValue.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::system {

// Synchronous access to the system menu bar's layout table, the dictionary
// under "TrailingItemPreferredPositions" in the menu bar's preference file
// inside its group container (current user, any host). Keeps no state between
// calls; the reorderer calls it on its queue only, one call at a time.
class MenuBarLayoutShim {
public:
    // Below the layout folder.
    static constexpr std::string_view preferencesFile = "Library/Preferences/com.apple.MenuBar.plist";
    static constexpr std::string_view preferencesKey = "TrailingItemPreferredPositions";

    // How a write ended.
    class WriteResult {
    public:
        enum class Kind {
            written,      // stored; `readBack()` is the table read after the write
            tableChanged, // the stored table is not the expected one; nothing was written
            tableMissing, // no table stored, synchronising failed, or nothing read back
            refused,      // the stored dictionary holds text no write could keep (not
                          // UTF-8, or a NUL); nothing was written
        };

        static WriteResult written(core::LayoutTable readBack) {
            return {Kind::written, std::move(readBack)};
        }
        static WriteResult tableChanged() { return {Kind::tableChanged, {}}; }
        static WriteResult tableMissing() { return {Kind::tableMissing, {}}; }
        static WriteResult refused() { return {Kind::refused, {}}; }

        Kind kind() const { return kind_; }
        // Empty unless `written`.
        const core::LayoutTable& readBack() const { return readBack_; }

        bool operator==(const WriteResult&) const = default;

    private:
        WriteResult(Kind kind, core::LayoutTable readBack) : kind_(kind), readBack_(std::move(readBack)) {}

        Kind kind_;
        core::LayoutTable readBack_;
    };

    MenuBarLayoutShim(std::shared_ptr<platform::PreferencesDomain> preferences,
                      std::shared_ptr<platform::FileManager> fileManager);

    const LayoutFolder& folder() const { return folder_; }
    // The preferences domain: the absolute path of the preference file.
    std::string applicationID() const;

    // Whether the layout folder's contents can be listed (the user granted it).
    bool canAccess() const;
    // The stored table; nothing when the value is absent or not a dictionary.
    std::optional<core::LayoutTable> readTable() const;
    // The layout table within a stored dictionary: its entries holding an
    // integer or a finite real, as doubles. Booleans, texts, other values and
    // positions that are not finite (which could never compare equal or be
    // ordered) are left out.
    static core::LayoutTable numbers(const platform::PropertyListValue::Dictionary& dictionary);
    // Sets `entries` (as reals) in the stored dictionary, keeping every other
    // entry as it is, provided the stored table still equals `expected`
    // position for position; then synchronises and reads the table back. When
    // some key or text of the result could not be stored byte for byte, the
    // write is refused instead, since it would rename or cut the system's entry.
    WriteResult write(const core::LayoutTable& entries, const core::LayoutTable& expected) const;

private:
    std::optional<platform::PropertyListValue::Dictionary> storedDictionary() const;

    std::shared_ptr<platform::PreferencesDomain> preferences_;
    LayoutFolder folder_;
};

} // namespace pellacor::system
