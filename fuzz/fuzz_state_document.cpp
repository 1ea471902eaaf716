// The state document as the store reads it: any bytes give one of the load
// outcomes, and a document that loads is saved and loaded back unchanged.
#include "MenuBarCore/Storage/Store.h"
#include "MenuBarCore/Storage/StoredState.h"
#include "MenuBarCore/Support/JsonCoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pellacor::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto result = Store::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (result.kind() != Store::LoadResult::Kind::loaded) {
        return 0;
    }
    const auto& state = *result.state();
    if (Store::decode(encodeJson(state).dump(2)) != result) {
        std::abort();
    }
    return 0;
}
