#pragma once

#include "Platform/RuntimeObject.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pellacor::platform {

// The dynamic loader and the object runtime, as far as the program asks them
// about private frameworks: loading a library, finding classes, methods and
// their argument counts, making instances and finding an object's method.
// Called from the main thread only.
class RuntimeLoader {
public:
    enum class BindingMode { lazy, now };

    // A C function of a library that takes no arguments and answers a signed 32-bit
    // status. Unlike the rest of the runtime, it may be called from any thread.
    using StatusFunction = std::function<std::int32_t()>;

    struct LibraryHandle {
        std::uint64_t value = 0;
        bool operator==(const LibraryHandle&) const = default;
    };

    virtual ~RuntimeLoader() = default;

    // Opens a library by path; nothing when it cannot be loaded. Handles are never closed.
    virtual std::optional<LibraryHandle> openLibrary(const std::string& path, BindingMode mode) = 0;
    // The class object of that name among the loaded libraries, or null.
    virtual RuntimeObjectRef lookUpClass(const std::string& name) = 0;
    // Whether the class is the named class or inherits from it.
    virtual bool isSubclass(const RuntimeObjectRef& classObject, const std::string& ancestorName) = 0;
    virtual std::optional<RuntimeMethod> instanceMethod(const RuntimeObjectRef& classObject,
                                                        const std::string& selector) = 0;
    virtual std::optional<RuntimeMethod> classMethod(const RuntimeObjectRef& classObject,
                                                     const std::string& selector) = 0;
    // A new instance of the class, allocated and sent "init" as the root class does; null on failure.
    virtual RuntimeObjectRef createInstance(const RuntimeObjectRef& classObject) = 0;
    // The object's implementation of a selector, empty when it has none.
    virtual Implementation methodImplementation(const RuntimeObjectRef& object,
                                                const std::string& selector) = 0;
    // The function an opened library exports under that symbol, empty when it has
    // none. A loader that knows no C functions answers nothing for every symbol.
    virtual StatusFunction lookUpFunction(LibraryHandle /*library*/, const std::string& /*symbol*/) {
        return {};
    }
};

} // namespace pellacor::platform
