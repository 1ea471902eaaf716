#include "MenuBarCore/Model/ItemSnapshot.h"

#include "MenuBarCore/Matching/IdentityName.h"

namespace pellacor::core {

ItemSnapshot::ItemSnapshot(std::string ownerBundleID, std::int32_t ownerPID,
                           const std::optional<std::string>& axIdentifier,
                           std::optional<std::string> axDescription, std::optional<std::string> axTitle,
                           int indexInOwner, std::optional<Rect> frame)
    : ownerBundleID_(std::move(ownerBundleID)), ownerPID_(ownerPID),
      axIdentifier_(IdentityName::usableIdentifier(axIdentifier)), axDescription_(std::move(axDescription)),
      axTitle_(std::move(axTitle)), indexInOwner_(indexInOwner), frame_(frame),
      isApple_(AppKey::isAppleBundleID(ownerBundleID_)) {}

std::string ItemSnapshot::description() const {
    return "ItemSnapshot(" + ownerBundleID_ + "・" + std::to_string(indexInOwner_) + " 番目)";
}

} // namespace pellacor::core
