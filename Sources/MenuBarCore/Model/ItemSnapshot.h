#pragma once

#include "MenuBarCore/Geometry/Geometry.h"
#include "MenuBarCore/Model/AppKey.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pellacor::core {

// One status item of the menu bar as the reader saw it at one moment. Rebuilt on
// every read, never changed in place.
class ItemSnapshot {
public:
    // `axIdentifier` is kept only when usable as a stable name (see
    // `IdentityName::usableIdentifier`); the other texts are kept as read.
    ItemSnapshot(std::string ownerBundleID, std::int32_t ownerPID,
                 const std::optional<std::string>& axIdentifier, std::optional<std::string> axDescription,
                 std::optional<std::string> axTitle, int indexInOwner, std::optional<Rect> frame);

    const std::string& ownerBundleID() const { return ownerBundleID_; }
    std::int32_t ownerPID() const { return ownerPID_; }
    const std::optional<std::string>& axIdentifier() const { return axIdentifier_; }
    const std::optional<std::string>& axDescription() const { return axDescription_; }
    const std::optional<std::string>& axTitle() const { return axTitle_; }
    // The position among the owner's items, as the reader numbers them.
    int indexInOwner() const { return indexInOwner_; }
    // On screen, in points; absent when the reader got none.
    const std::optional<Rect>& frame() const { return frame_; }
    bool isApple() const { return isApple_; }

    AppKey owner() const { return AppKey(ownerBundleID_); }

    // All fields; a present frame never equals an absent one.
    bool operator==(const ItemSnapshot&) const = default;

    // "ItemSnapshot(com.example.app・2 番目)".
    std::string description() const;

private:
    std::string ownerBundleID_;
    std::int32_t ownerPID_;
    std::optional<std::string> axIdentifier_;
    std::optional<std::string> axDescription_;
    std::optional<std::string> axTitle_;
    int indexInOwner_;
    std::optional<Rect> frame_;
    bool isApple_;
};

} // namespace pellacor::core
