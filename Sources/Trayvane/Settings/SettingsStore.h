#pragma once

#include "MenuBarCore/Model/Profile.h"
#include "MenuBarCore/Storage/Store.h"
#include "MenuBarCore/Storage/StoredState.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellacor::app {

// The state document's one owner in memory. It loads the document once, runs
// on a safe content when the file is missing, unreadable or written by a newer
// version, and guards every save: a file it could not read, or that a newer
// version wrote, is never overwritten in this run, while edits still take
// effect in memory. Changes of the active profile's own sections and order
// (the sections page's, the coordinator's) are saved through `updateActive`;
// every other edit goes through the profile editor. Main thread.
class SettingsStore {
public:
    // Why saving is forbidden for the whole run.
    class SaveBlock {
    public:
        enum class Kind { newerVersion, unreadable };

        static SaveBlock newerVersion(std::int64_t version) { return SaveBlock(Kind::newerVersion, version); }
        static SaveBlock unreadable() { return SaveBlock(Kind::unreadable, 0); }

        Kind kind() const { return kind_; }
        // The version a newer file declares; 0 for `unreadable`.
        std::int64_t version() const { return version_; }

        bool operator==(const SaveBlock&) const = default;

    private:
        SaveBlock(Kind kind, std::int64_t version) : kind_(kind), version_(version) {}
        Kind kind_;
        std::int64_t version_;
    };

    // Loads the document; never saves (what loading adds reaches the file with
    // the first saved edit).
    explicit SettingsStore(const core::Store& store);

    const core::Store& store() const { return store_; }
    // The document in memory, the only copy the program edits.
    const core::StoredState& state() const { return state_; }
    const std::optional<SaveBlock>& saveBlock() const { return saveBlock_; }
    bool lastSaveFailed() const { return lastSaveFailed_; }

    // The document's active profile; a fresh fallback profile (new items
    // hidden, a new id on every call) when the document has none.
    core::Profile activeProfile() const;
    // Stores the profile in place of the stored one with its id and saves;
    // refused (and logged) for a profile the document does not hold. True
    // only when the document was saved.
    bool updateActive(const core::Profile& profile);
    // What the sections page says about saving; nothing when all is well.
    std::optional<std::string> warning() const;

    // The content used after an unreadable or newer file: one fallback
    // profile whose new items are shown, active, no rules, so nothing is hidden.
    static core::StoredState showEverything();
    // A profile made when the document gives none: a new id, the everyday
    // name, nothing assigned, no order.
    static core::Profile fallbackProfile(core::Section newItemSection);

private:
    friend class ProfileEditor; // puts its edited copy in place and saves it

    struct Loaded {
        core::StoredState state;
        std::optional<SaveBlock> block;
    };
    static Loaded load(const core::Store& store);
    SettingsStore(const core::Store& store, Loaded loaded);

    // The guarded save: false without writing while a block stands, or when
    // the save failed (logged; `warning` then says so until a save succeeds).
    bool persist();

    core::Store store_;
    core::StoredState state_;
    std::optional<SaveBlock> saveBlock_;
    bool lastSaveFailed_ = false;
};

} // namespace pellacor::app
