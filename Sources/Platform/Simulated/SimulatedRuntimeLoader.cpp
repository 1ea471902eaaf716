#include "Platform/Simulated/SimulatedRuntimeLoader.h"

namespace pellacor::platform {

class SimulatedRuntimeLoader::ClassObject final : public RuntimeObject {
public:
    explicit ClassObject(std::string name) : name(std::move(name)) {}
    const std::string name;
};

SimulatedRuntimeLoader::SimulatedRuntimeLoader() {
    ClassDefinition root;
    root.name = "NSObject";
    root.superclassName.clear();
    root.makeInstance = [] { return std::make_shared<Instance>("NSObject"); };
    registerClass(std::move(root));
}

void SimulatedRuntimeLoader::registerLibrary(const std::string& path) {
    std::lock_guard lock(mutex_);
    libraries_.insert(path);
}

void SimulatedRuntimeLoader::registerClass(ClassDefinition definition) {
    std::lock_guard lock(mutex_);
    auto name = definition.name;
    auto object = std::make_shared<ClassObject>(name);
    classes_.insert_or_assign(name, ClassEntry{std::move(definition), std::move(object)});
}

void SimulatedRuntimeLoader::registerFunction(const std::string& libraryPath, const std::string& symbol,
                                              StatusFunction function) {
    std::lock_guard lock(mutex_);
    functions_.insert_or_assign({libraryPath, symbol}, std::move(function));
}

void SimulatedRuntimeLoader::setFunctionMissing(const std::string& libraryPath, const std::string& symbol,
                                                bool missing) {
    std::lock_guard lock(mutex_);
    if (missing) {
        missingFunctions_.insert({libraryPath, symbol});
    } else {
        missingFunctions_.erase({libraryPath, symbol});
    }
}

void SimulatedRuntimeLoader::setLibraryMissing(const std::string& path, bool missing) {
    std::lock_guard lock(mutex_);
    if (missing) {
        missingLibraries_.insert(path);
    } else {
        missingLibraries_.erase(path);
    }
}

void SimulatedRuntimeLoader::setClassMissing(const std::string& className, bool missing) {
    std::lock_guard lock(mutex_);
    if (missing) {
        missingClasses_.insert(className);
    } else {
        missingClasses_.erase(className);
    }
}

void SimulatedRuntimeLoader::setMethodMissing(const std::string& className, const std::string& selector,
                                              bool classMethod, bool missing) {
    std::lock_guard lock(mutex_);
    MethodKey key{className, selector, classMethod};
    if (missing) {
        missingMethods_.insert(key);
    } else {
        missingMethods_.erase(key);
    }
}

void SimulatedRuntimeLoader::setArgumentCount(const std::string& className, const std::string& selector,
                                              bool classMethod, unsigned count) {
    std::lock_guard lock(mutex_);
    argumentCounts_[MethodKey{className, selector, classMethod}] = count;
}

void SimulatedRuntimeLoader::apply(const Fault& fault) {
    switch (fault.kind) {
    case Fault::Kind::libraryMissing:
        setLibraryMissing(fault.libraryPath);
        break;
    case Fault::Kind::classMissing:
        setClassMissing(fault.className);
        break;
    case Fault::Kind::methodMissing:
        setMethodMissing(fault.className, fault.selector, fault.classMethod);
        break;
    case Fault::Kind::wrongArgumentCount:
        setArgumentCount(fault.className, fault.selector, fault.classMethod, fault.argumentCount);
        break;
    }
}

std::optional<RuntimeLoader::LibraryHandle> SimulatedRuntimeLoader::openLibrary(const std::string& path,
                                                                                BindingMode) {
    std::lock_guard lock(mutex_);
    if (!libraries_.contains(path) || missingLibraries_.contains(path)) {
        return std::nullopt;
    }
    openedLibraries_.insert(path);
    ++openCounts_[path];
    handlePaths_.emplace(nextHandle_, path);
    return LibraryHandle{nextHandle_++};
}

int SimulatedRuntimeLoader::openCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = openCounts_.find(path);
    return it == openCounts_.end() ? 0 : it->second;
}

const SimulatedRuntimeLoader::ClassEntry* SimulatedRuntimeLoader::findLocked(const std::string& name) const {
    auto it = classes_.find(name);
    if (it == classes_.end() || missingClasses_.contains(name)) {
        return nullptr;
    }
    const auto& library = it->second.definition.libraryPath;
    if (!library.empty() && (!openedLibraries_.contains(library) || missingLibraries_.contains(library))) {
        return nullptr;
    }
    return &it->second;
}

const SimulatedRuntimeLoader::ClassEntry*
SimulatedRuntimeLoader::entryOfLocked(const RuntimeObjectRef& classObject) const {
    auto* object = dynamic_cast<const ClassObject*>(classObject.get());
    if (object == nullptr) {
        return nullptr;
    }
    const ClassEntry* entry = findLocked(object->name);
    return entry != nullptr && entry->object.get() == object ? entry : nullptr;
}

RuntimeObjectRef SimulatedRuntimeLoader::lookUpClass(const std::string& name) {
    std::lock_guard lock(mutex_);
    const ClassEntry* entry = findLocked(name);
    return entry != nullptr ? entry->object : nullptr;
}

bool SimulatedRuntimeLoader::isSubclass(const RuntimeObjectRef& classObject,
                                        const std::string& ancestorName) {
    std::lock_guard lock(mutex_);
    const ClassEntry* entry = entryOfLocked(classObject);
    // The hierarchy is short; the bound guards against a definition that names itself.
    for (int depth = 0; entry != nullptr && depth < 64; ++depth) {
        if (entry->definition.name == ancestorName) {
            return true;
        }
        entry = findLocked(entry->definition.superclassName);
    }
    return false;
}

std::optional<RuntimeMethod> SimulatedRuntimeLoader::methodLocked(const std::string& className,
                                                                  const std::string& selector,
                                                                  bool classMethod) const {
    // Methods are inherited: look up the class and then its superclasses.
    const ClassEntry* entry = findLocked(className);
    for (int depth = 0; entry != nullptr && depth < 64; ++depth) {
        const auto& name = entry->definition.name;
        MethodKey key{name, selector, classMethod};
        const auto& table = classMethod ? entry->definition.classMethods : entry->definition.instanceMethods;
        auto it = table.find(selector);
        if (it != table.end() && !missingMethods_.contains(key)) {
            RuntimeMethod method = it->second;
            if (auto count = argumentCounts_.find(key); count != argumentCounts_.end()) {
                method.argumentCount = count->second;
            }
            return method;
        }
        entry = findLocked(entry->definition.superclassName);
    }
    return std::nullopt;
}

std::optional<RuntimeMethod> SimulatedRuntimeLoader::instanceMethod(const RuntimeObjectRef& classObject,
                                                                    const std::string& selector) {
    std::lock_guard lock(mutex_);
    const ClassEntry* entry = entryOfLocked(classObject);
    return entry != nullptr ? methodLocked(entry->definition.name, selector, false) : std::nullopt;
}

std::optional<RuntimeMethod> SimulatedRuntimeLoader::classMethod(const RuntimeObjectRef& classObject,
                                                                 const std::string& selector) {
    std::lock_guard lock(mutex_);
    const ClassEntry* entry = entryOfLocked(classObject);
    return entry != nullptr ? methodLocked(entry->definition.name, selector, true) : std::nullopt;
}

RuntimeObjectRef SimulatedRuntimeLoader::createInstance(const RuntimeObjectRef& classObject) {
    std::function<RuntimeObjectRef()> make;
    {
        std::lock_guard lock(mutex_);
        const ClassEntry* entry = entryOfLocked(classObject);
        if (entry == nullptr) {
            return nullptr;
        }
        make = entry->definition.makeInstance;
    }
    // Made outside the lock: a framework's factory may call back into the runtime.
    return make ? make() : nullptr;
}

Implementation SimulatedRuntimeLoader::methodImplementation(const RuntimeObjectRef& object,
                                                            const std::string& selector) {
    auto* instance = dynamic_cast<const Instance*>(object.get());
    if (instance == nullptr) {
        return {};
    }
    std::lock_guard lock(mutex_);
    auto method = methodLocked(instance->className(), selector, false);
    return method ? method->implementation : Implementation{};
}

RuntimeLoader::StatusFunction SimulatedRuntimeLoader::lookUpFunction(LibraryHandle library,
                                                                     const std::string& symbol) {
    std::lock_guard lock(mutex_);
    auto path = handlePaths_.find(library.value);
    if (path == handlePaths_.end() || missingLibraries_.contains(path->second)) {
        return {};
    }
    const std::pair<std::string, std::string> key{path->second, symbol};
    auto function = functions_.find(key);
    if (function == functions_.end() || missingFunctions_.contains(key)) {
        return {};
    }
    return function->second;
}

} // namespace pellacor::platform
