#include "MenuBarCore/Model/AppKey.h"

#include "MenuBarCore/Support/JsonCoding.h"

namespace pellacor::core {

Json JsonCoding<AppKey>::encode(const AppKey& key) {
    return key.bundleID();
}

DecodeResult<AppKey> JsonCoding<AppKey>::decode(const Json& json, const CodingPath& path) {
    auto bundleID = decodeJson<std::string>(json, path);
    if (!bundleID) {
        return bundleID.error();
    }
    return AppKey(std::move(bundleID).value());
}

} // namespace pellacor::core
