// Scenario files of the simulated desktop: any bytes give a scenario or an error.
#include "Platform/Simulated/Scenario.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)pellacor::platform::Scenario::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
