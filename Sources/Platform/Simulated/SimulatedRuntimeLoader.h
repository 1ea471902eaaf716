#pragma once

#include "Platform/RuntimeLoader.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace pellacor::platform {

// The dynamic loader and object runtime of the simulated desktop. Simulated
// frameworks register their libraries and classes here; a test or a scenario
// can then break them: a library that does not load, a class that is missing,
// a method that is missing or declares another number of arguments. Classes are
// found only once their library has been opened, as with the real loader.
class SimulatedRuntimeLoader final : public RuntimeLoader {
public:
    struct ClassDefinition {
        std::string name;
        std::string superclassName = "NSObject";
        // The library that provides the class; empty for classes always present.
        std::string libraryPath;
        std::map<std::string, RuntimeMethod> instanceMethods;
        std::map<std::string, RuntimeMethod> classMethods;
        // What "alloc" followed by "init" of the root class produces.
        std::function<RuntimeObjectRef()> makeInstance;
    };

    // A fault a scenario or a test sets up.
    struct Fault {
        enum class Kind { libraryMissing, classMissing, methodMissing, wrongArgumentCount };
        Kind kind = Kind::libraryMissing;
        std::string libraryPath;
        std::string className;
        std::string selector;
        bool classMethod = false;
        unsigned argumentCount = 0;
        bool operator==(const Fault&) const = default;
    };

    // Objects the simulated frameworks hand out carry their class name, so that
    // the runtime can find their methods.
    class Instance : public RuntimeObject {
    public:
        explicit Instance(std::string className) : className_(std::move(className)) {}
        const std::string& className() const { return className_; }

    private:
        std::string className_;
    };

    SimulatedRuntimeLoader();

    void registerLibrary(const std::string& path);
    void registerClass(ClassDefinition definition);
    // A C function the library exports under `symbol`.
    void registerFunction(const std::string& libraryPath, const std::string& symbol, StatusFunction function);

    void setLibraryMissing(const std::string& path, bool missing = true);
    void setClassMissing(const std::string& className, bool missing = true);
    void setMethodMissing(const std::string& className, const std::string& selector, bool classMethod,
                          bool missing = true);
    // Makes the method declare another argument count (receiver and selector included).
    void setArgumentCount(const std::string& className, const std::string& selector, bool classMethod,
                          unsigned count);
    void setFunctionMissing(const std::string& libraryPath, const std::string& symbol, bool missing = true);
    void apply(const Fault& fault);

    std::optional<LibraryHandle> openLibrary(const std::string& path, BindingMode mode) override;
    RuntimeObjectRef lookUpClass(const std::string& name) override;
    bool isSubclass(const RuntimeObjectRef& classObject, const std::string& ancestorName) override;
    std::optional<RuntimeMethod> instanceMethod(const RuntimeObjectRef& classObject,
                                                const std::string& selector) override;
    std::optional<RuntimeMethod> classMethod(const RuntimeObjectRef& classObject,
                                             const std::string& selector) override;
    RuntimeObjectRef createInstance(const RuntimeObjectRef& classObject) override;
    Implementation methodImplementation(const RuntimeObjectRef& object, const std::string& selector) override;
    StatusFunction lookUpFunction(LibraryHandle library, const std::string& symbol) override;

    // How many times a library was opened successfully.
    int openCount(const std::string& path) const;

private:
    class ClassObject;
    struct ClassEntry {
        ClassDefinition definition;
        std::shared_ptr<ClassObject> object;
    };
    using MethodKey = std::tuple<std::string, std::string, bool>;

    const ClassEntry* findLocked(const std::string& name) const;
    const ClassEntry* entryOfLocked(const RuntimeObjectRef& classObject) const;
    std::optional<RuntimeMethod> methodLocked(const std::string& className, const std::string& selector,
                                              bool classMethod) const;

    mutable std::mutex mutex_;
    std::set<std::string> libraries_;
    std::set<std::string> missingLibraries_;
    std::set<std::string> openedLibraries_;
    std::map<std::string, int> openCounts_;
    std::map<std::uint64_t, std::string> handlePaths_;
    std::map<std::pair<std::string, std::string>, StatusFunction> functions_;
    std::set<std::pair<std::string, std::string>> missingFunctions_;
    std::map<std::string, ClassEntry> classes_;
    std::set<std::string> missingClasses_;
    std::set<MethodKey> missingMethods_;
    std::map<MethodKey, unsigned> argumentCounts_;
    std::uint64_t nextHandle_ = 1;
};

} // namespace pellacor::platform
