#include "MenuBarCore/Model/AppKey.h"

namespace pellacor::core {

DecodeResult<AppKey> JsonCoding<AppKey>::decode(const Json& json, const CodingPath& path) {
    auto bundleID = decodeJson<std::string>(json, path);
    if (!bundleID) {
        return bundleID.error();
    }
    return AppKey(std::move(bundleID).value());
}

} // namespace pellacor::core
