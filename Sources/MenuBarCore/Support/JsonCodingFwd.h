#pragma once

// What a header needs to declare a type's JSON form: the JSON type's name and
// the coding template, without the JSON library itself, which only the files
// that encode or decode include (through JsonCoding.h).

#include "MenuBarCore/Support/CodingPath.h"
#include "MenuBarCore/Support/DecodeResult.h"

#include <nlohmann/json_fwd.hpp>

namespace pellacor::core {

using Json = nlohmann::json;

// The JSON form of a type; JsonCoding.h says how to specialise it.
template <typename T> struct JsonCoding;

} // namespace pellacor::core
