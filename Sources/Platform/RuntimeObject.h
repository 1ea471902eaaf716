#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace pellacor::platform {

// An object of the object runtime: an instance, or a class (classes are objects
// too, so that class methods take a receiver like instance methods do).
class RuntimeObject {
public:
    virtual ~RuntimeObject() = default;
};

using RuntimeObjectRef = std::shared_ptr<RuntimeObject>;

// A block taking two machine words, the shape of a completion handler the
// frameworks call on a thread of their own choosing.
using CompletionBlock = std::function<void(std::uint64_t, std::uint64_t)>;

// One argument of a message after the receiver and the selector: an object, an
// array of numbers, an array of strings, or a block.
using RuntimeArgument =
    std::variant<RuntimeObjectRef, std::vector<std::int64_t>, std::vector<std::string>, CompletionBlock>;

// A method implementation: called with the receiver, the selector and the
// remaining arguments; answers an object, or null for nil and for methods
// without a result.
using Implementation =
    std::function<RuntimeObjectRef(const RuntimeObjectRef& receiver, const std::string& selector,
                                   const std::vector<RuntimeArgument>& arguments)>;

// A method found by the runtime: its declared number of arguments (receiver and
// selector included) and its implementation, which may be absent.
struct RuntimeMethod {
    unsigned argumentCount = 0;
    Implementation implementation;
};

} // namespace pellacor::platform
