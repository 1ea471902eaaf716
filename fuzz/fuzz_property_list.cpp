// Property-list files in either form: any bytes read as a dictionary or as
// unreadable, within the bounds; a dictionary whose text can be stored is
// written and read back exactly, and one whose text cannot is never written.
#include "Platform/PropertyListFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pellacor::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dictionary =
        PropertyListFile::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!dictionary) {
        return 0;
    }
    const auto encoded = PropertyListFile::encodeBinary(*dictionary);
    if (PropertyListValue(*dictionary).isStorable() == encoded.empty()) {
        std::abort();
    }
    if (!encoded.empty() && PropertyListFile::decode(encoded) != dictionary) {
        std::abort();
    }
    return 0;
}
