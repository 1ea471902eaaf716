#include "Platform/Simulated/Scenario.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "MenuBarCore/Support/RegularFileReader.h"
#include "Platform/InputState.h"
#include "Platform/Simulated/SimulatedDesktop.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>

namespace pellacor::platform {

namespace {

bool isColour(const std::string& text) {
    return text.size() == 7 && text[0] == '#' && std::all_of(text.begin() + 1, text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
           });
}

using nlohmann::json;

// Reads members with their types checked; the first problem is kept and every
// later read answers a default, so decoding runs to the end without throwing.
std::string join(const std::string& path, const char* key) {
    return path.empty() ? key : path + "." + key;
}

class Reader {
public:
    std::optional<std::string> error;

    void fail(const std::string& path, const std::string& what) {
        if (!error) {
            error = path + ": " + what;
        }
    }

    static const json* member(const json& object, const char* key) {
        auto it = object.find(key);
        return it == object.end() || it->is_null() ? nullptr : &*it;
    }

    // The member, or nothing; a required one that is absent is a problem.
    const json* present(const json& object, const char* key, const std::string& path, bool required) {
        const json* value = member(object, key);
        if (value == nullptr && required) {
            fail(join(path, key), "missing");
        }
        return value;
    }

    // The member when it has the type `is` asks for; otherwise nothing, and a
    // problem when it is there with another type (or required and absent).
    const json* ofType(const json& object, const char* key, const std::string& path, bool required,
                       bool (json::*is)() const noexcept, const char* expected) {
        const json* value = present(object, key, path, required);
        if (value != nullptr && !(value->*is)()) {
            fail(join(path, key), expected);
            return nullptr;
        }
        return value;
    }

    std::optional<std::string> string(const json& object, const char* key, const std::string& path,
                                      bool required = false) {
        const json* value = present(object, key, path, required);
        if (value == nullptr) {
            return std::nullopt;
        }
        if (!value->is_string()) {
            fail(join(path, key), "expected a string");
            return std::nullopt;
        }
        return value->get<std::string>();
    }

    bool boolean(const json& object, const char* key, const std::string& path, bool fallback) {
        const json* value = member(object, key);
        if (value == nullptr) {
            return fallback;
        }
        if (!value->is_boolean()) {
            fail(join(path, key), "expected true or false");
            return fallback;
        }
        return value->get<bool>();
    }

    std::optional<double> number(const json& object, const char* key, const std::string& path, double minimum,
                                 bool required = false) {
        const json* value = present(object, key, path, required);
        if (value == nullptr) {
            return std::nullopt;
        }
        if (!value->is_number() || !std::isfinite(value->get<double>()) || value->get<double>() < minimum) {
            fail(join(path, key), "expected a number of at least " + format(minimum));
            return std::nullopt;
        }
        return value->get<double>();
    }

    std::optional<std::int64_t> integer(const json& object, const char* key, const std::string& path,
                                        std::int64_t minimum, std::int64_t maximum, bool required = false) {
        const json* value = present(object, key, path, required);
        if (value == nullptr) {
            return std::nullopt;
        }
        bool inRange = false;
        std::int64_t result = 0;
        if (value->is_number_unsigned()) {
            auto raw = value->get<std::uint64_t>();
            inRange = raw <= static_cast<std::uint64_t>(maximum);
            result = inRange ? static_cast<std::int64_t>(raw) : 0;
        } else if (value->is_number_integer()) {
            result = value->get<std::int64_t>();
            inRange = true;
        }
        if (!inRange || result < minimum || result > maximum) {
            fail(join(path, key), "expected a whole number from " + std::to_string(minimum) + " to " +
                                      std::to_string(maximum));
            return std::nullopt;
        }
        return result;
    }

    const json* array(const json& object, const char* key, const std::string& path, bool required = false) {
        return ofType(object, key, path, required, &json::is_array, "expected an array");
    }

    const json* object(const json& parent, const char* key, const std::string& path, bool required = false) {
        return ofType(parent, key, path, required, &json::is_object, "expected an object");
    }

    bool isObject(const json& value, const std::string& path) {
        if (!value.is_object()) {
            fail(path, "expected an object");
            return false;
        }
        return true;
    }

    // One of a fixed set of words; the index of the word, or the fallback.
    template <std::size_t N>
    std::size_t choice(const json& object, const char* key, const std::string& path,
                       const std::array<const char*, N>& words, std::size_t fallback) {
        auto word = string(object, key, path);
        if (!word) {
            return fallback;
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (*word == words[i]) {
                return i;
            }
        }
        std::string expected;
        for (std::size_t i = 0; i < N; ++i) {
            expected += (i == 0 ? "\"" : ", \"") + std::string(words[i]) + "\"";
        }
        fail(join(path, key), "expected one of " + expected);
        return fallback;
    }

private:
    static std::string format(double value) {
        std::ostringstream out;
        out << value;
        return out.str();
    }
};

constexpr std::int64_t maxProcessIdentifier = std::numeric_limits<std::int32_t>::max();
constexpr int systemItemCount = 64;

SimulatedScreen decodeScreen(Reader& reader, const json& value, const std::string& path) {
    SimulatedScreen screen;
    if (!reader.isObject(value, path)) {
        return screen;
    }
    if (const json* frame = reader.object(value, "frame", path, true)) {
        const std::string framePath = path + ".frame";
        auto x = reader.number(*frame, "x", framePath, -std::numeric_limits<double>::max(), true);
        auto y = reader.number(*frame, "y", framePath, -std::numeric_limits<double>::max(), true);
        auto width = reader.number(*frame, "width", framePath, 1, true);
        auto height = reader.number(*frame, "height", framePath, 1, true);
        if (x && y && width && height) {
            screen.frame = core::Rect(*x, *y, *width, *height);
        }
    }
    if (auto height = reader.number(value, "menuBarHeight", path, 0)) {
        screen.menuBarHeight = *height;
    }
    screen.cameraHousingWidth = reader.number(value, "cameraHousingWidth", path, 0);
    return screen;
}

// How an element answers accessibility messages.
SimulatedElementBehaviour decodeAccessibility(Reader& reader, const json& parent,
                                              const std::string& parentPath) {
    SimulatedElementBehaviour behaviour;
    const json* value = reader.object(parent, "accessibility", parentPath);
    if (value == nullptr) {
        return behaviour;
    }
    const std::string path = join(parentPath, "accessibility");
    if (auto latency = reader.integer(*value, "latencyMilliseconds", path, 0, 600'000)) {
        behaviour.latency = std::chrono::milliseconds(*latency);
    }
    if (const json* errors = reader.object(*value, "attributeErrors", path)) {
        constexpr auto low = std::numeric_limits<std::int32_t>::min();
        constexpr auto high = std::numeric_limits<std::int32_t>::max();
        for (const auto& entry : errors->items()) {
            const std::string& attribute = entry.key();
            if (auto number =
                    reader.integer(*errors, attribute.c_str(), path + ".attributeErrors", low, high, true)) {
                behaviour.attributeErrors[attribute] = static_cast<std::int32_t>(*number);
            }
        }
    }
    if (const json* actions = reader.array(*value, "actions", path)) {
        behaviour.actions.clear();
        for (std::size_t i = 0; i < actions->size(); ++i) {
            if (!(*actions)[i].is_string()) {
                reader.fail(path + ".actions[" + std::to_string(i) + "]", "expected a string");
                continue;
            }
            behaviour.actions.push_back((*actions)[i].get<std::string>());
        }
    }
    constexpr auto low = std::numeric_limits<std::int32_t>::min();
    constexpr auto high = std::numeric_limits<std::int32_t>::max();
    if (const json* errors = reader.object(*value, "actionErrors", path)) {
        for (const auto& entry : errors->items()) {
            const std::string& action = entry.key();
            if (auto number =
                    reader.integer(*errors, action.c_str(), path + ".actionErrors", low, high, true)) {
                behaviour.actionErrors[action] = static_cast<std::int32_t>(*number);
            }
        }
    }
    if (auto code = reader.integer(*value, "actionNamesError", path, low, high)) {
        behaviour.actionNamesError = static_cast<std::int32_t>(*code);
    }
    return behaviour;
}

// What pressing an item opens.
SimulatedMenu decodeMenu(Reader& reader, const json& parent, const std::string& parentPath) {
    SimulatedMenu menu;
    const json* value = reader.object(parent, "menu", parentPath);
    if (value == nullptr) {
        return menu;
    }
    const std::string path = join(parentPath, "menu");
    const std::size_t opens =
        reader.choice(*value, "opens", path, std::array{"always", "whenPlaced", "never"}, 1);
    menu.opens = std::array{SimulatedMenu::Opening::always, SimulatedMenu::Opening::whenPlaced,
                            SimulatedMenu::Opening::never}[opens];
    if (auto delay = reader.integer(*value, "openDelayMilliseconds", path, 0, 600'000)) {
        menu.openDelay = std::chrono::milliseconds(*delay);
    }
    if (auto openFor = reader.integer(*value, "openForMilliseconds", path, 0, 3'600'000)) {
        menu.openFor = std::chrono::milliseconds(*openFor);
    }
    if (reader.boolean(*value, "staysOpen", path, false)) {
        menu.openFor.reset();
    }
    menu.ownerBundleIdentifier = reader.string(*value, "owner", path);
    if (auto width = reader.number(*value, "width", path, 0)) {
        menu.size.width = *width;
    }
    if (auto height = reader.number(*value, "height", path, 0)) {
        menu.size.height = *height;
    }
    return menu;
}

SimulatedWindow decodeWindow(Reader& reader, const json& value, const std::string& path) {
    SimulatedWindow window;
    if (!reader.isObject(value, path)) {
        return window;
    }
    constexpr auto low = std::numeric_limits<std::int32_t>::min();
    constexpr auto high = std::numeric_limits<std::int32_t>::max();
    window.layer = reader.integer(value, "layer", path, low, high).value_or(0);
    if (const json* bounds = reader.object(value, "bounds", path)) {
        const std::string boundsPath = path + ".bounds";
        auto x = reader.number(*bounds, "x", boundsPath, -std::numeric_limits<double>::max(), true);
        auto y = reader.number(*bounds, "y", boundsPath, -std::numeric_limits<double>::max(), true);
        auto width = reader.number(*bounds, "width", boundsPath, 0, true);
        auto height = reader.number(*bounds, "height", boundsPath, 0, true);
        if (x && y && width && height) {
            window.bounds = core::Rect(*x, *y, *width, *height);
        }
    }
    window.isOnScreen = reader.boolean(value, "onScreen", path, true);
    return window;
}

SimulatedStatusItem decodeItem(Reader& reader, const json& value, const std::string& path) {
    SimulatedStatusItem item;
    if (!reader.isObject(value, path)) {
        return item;
    }
    item.identifier = reader.string(value, "identifier", path);
    item.description = reader.string(value, "description", path);
    item.title = reader.string(value, "title", path);
    if (auto width = reader.number(value, "width", path, 0)) {
        item.width = *width;
    }
    if (auto role = reader.string(value, "role", path)) {
        item.role = *role;
    }
    const std::size_t kind = reader.choice(value, "kind", path, std::array{"standard", "system"}, 0);
    item.kind = kind == 1 ? SimulatedStatusItem::Kind::system : SimulatedStatusItem::Kind::standard;
    item.name = reader.string(value, "name", path);
    item.hiddenWhileRestricted = reader.boolean(value, "hiddenWhileRestricted", path, false);
    item.isOverflowChevron = reader.boolean(value, "overflowChevron", path, false);
    if (item.kind == SimulatedStatusItem::Kind::system) {
        if (auto number = reader.integer(value, "systemItemNumber", path, 0, systemItemCount - 1, true)) {
            item.systemItemNumber = static_cast<int>(*number);
        }
    }
    item.accessibility = decodeAccessibility(reader, value, path);
    item.menu = decodeMenu(reader, value, path);
    return item;
}

SimulatedApplication decodeApplication(Reader& reader, const json& value, const std::string& path) {
    SimulatedApplication app;
    if (!reader.isObject(value, path)) {
        return app;
    }
    app.bundleIdentifier = reader.string(value, "bundleIdentifier", path);
    if (app.bundleIdentifier && app.bundleIdentifier->empty()) {
        reader.fail(path + ".bundleIdentifier", "must not be empty (leave it out for none)");
    }
    if (auto pid = reader.integer(value, "processIdentifier", path, 1, maxProcessIdentifier)) {
        app.processIdentifier = static_cast<std::int32_t>(*pid);
    }
    if (auto name = reader.string(value, "localizedName", path)) {
        app.localizedName = *name;
    } else {
        app.localizedName = app.bundleIdentifier.value_or("");
    }
    if (auto bundlePath = reader.string(value, "bundlePath", path)) {
        app.bundlePath = *bundlePath;
    }
    const std::size_t policy =
        reader.choice(value, "activationPolicy", path, std::array{"regular", "accessory", "prohibited"}, 0);
    app.activationPolicy = static_cast<SimulatedApplication::ActivationPolicy>(policy);
    app.isRunning = reader.boolean(value, "running", path, true);
    app.isActive = reader.boolean(value, "active", path, false);
    if (app.isActive && !app.isRunning) {
        reader.fail(path + ".active", "an application that is not running cannot be active");
    }
    if (const json* items = reader.array(value, "statusItems", path)) {
        for (std::size_t i = 0; i < items->size(); ++i) {
            app.statusItems.push_back(
                decodeItem(reader, (*items)[i], path + ".statusItems[" + std::to_string(i) + "]"));
        }
    }
    app.accessibility = decodeAccessibility(reader, value, path);
    if (auto delay = reader.integer(value, "placementDelayMilliseconds", path, 0, 600'000)) {
        app.placementDelay = std::chrono::milliseconds(*delay);
    }
    if (const json* icon = reader.object(value, "icon", path)) {
        const std::string iconPath = path + ".icon";
        app.iconGlyph = reader.string(*icon, "glyph", iconPath);
        app.iconColor = reader.string(*icon, "color", iconPath);
        if (app.iconColor && !isColour(*app.iconColor)) {
            reader.fail(iconPath + ".color", "expected a colour written #RRGGBB");
        }
        if (auto file = reader.string(*icon, "file", iconPath)) {
            if (file->empty()) {
                reader.fail(iconPath + ".file", "must not be empty (leave it out for a made-up icon)");
            }
            app.iconFile = std::filesystem::path(*file);
        }
    }
    if (const json* windows = reader.array(value, "windows", path)) {
        for (std::size_t i = 0; i < windows->size(); ++i) {
            app.windows.push_back(
                decodeWindow(reader, (*windows)[i], path + ".windows[" + std::to_string(i) + "]"));
        }
    }
    return app;
}

SimulatedRuntimeLoader::Fault decodeFault(Reader& reader, const json& value, const std::string& path) {
    using Fault = SimulatedRuntimeLoader::Fault;
    Fault fault;
    if (!reader.isObject(value, path)) {
        return fault;
    }
    const std::size_t kind = reader.choice(value, "kind", path,
                                           std::array{"frameworkMissing", "libraryMissing", "classMissing",
                                                      "methodMissing", "wrongArgumentCount"},
                                           0);
    if (Reader::member(value, "kind") == nullptr) {
        reader.fail(path + ".kind", "missing");
    }
    switch (kind) {
    case 0:
        fault.kind = Fault::Kind::libraryMissing;
        fault.libraryPath = reader.string(value, "library", path)
                                .value_or(std::string(SimulatedRestrictionService::frameworkPath));
        break;
    case 1:
        fault.kind = Fault::Kind::libraryMissing;
        fault.libraryPath = reader.string(value, "library", path, true).value_or("");
        break;
    case 2:
        fault.kind = Fault::Kind::classMissing;
        fault.className = reader.string(value, "class", path, true).value_or("");
        break;
    default:
        fault.kind = kind == 3 ? Fault::Kind::methodMissing : Fault::Kind::wrongArgumentCount;
        fault.className = reader.string(value, "class", path, true).value_or("");
        fault.selector = reader.string(value, "selector", path, true).value_or("");
        fault.classMethod = reader.boolean(value, "classMethod", path, false);
        if (fault.kind == Fault::Kind::wrongArgumentCount) {
            fault.argumentCount =
                static_cast<unsigned>(reader.integer(value, "argumentCount", path, 0, 64, true).value_or(0));
        }
        break;
    }
    return fault;
}

Scenario::RestrictionBehaviour decodeRestriction(Reader& reader, const json& value, const std::string& path) {
    using Mode = SimulatedRestrictionService::CompletionMode;
    Scenario::RestrictionBehaviour behaviour;
    const std::size_t mode =
        reader.choice(value, "completion", path, std::array{"immediate", "delayed", "held", "never"}, 0);
    behaviour.completion = std::array{Mode::immediate, Mode::delayed, Mode::held, Mode::never}[mode];
    if (auto delay = reader.integer(value, "delayMilliseconds", path, 0, 600'000)) {
        behaviour.delay = std::chrono::milliseconds(*delay);
    }
    if (auto error =
            reader.integer(value, "completionError", path, 0, std::numeric_limits<std::int64_t>::max())) {
        behaviour.completionError = static_cast<std::uint64_t>(*error);
    }
    behaviour.refusesConfiguration = reader.boolean(value, "refusesConfiguration", path, false);
    behaviour.activatesAfterInvalidation = reader.boolean(value, "activatesAfterInvalidation", path, true);
    return behaviour;
}

SimulatedHotkeyManager::SymbolicHotKey decodeSymbolicHotKey(Reader& reader, const json& value,
                                                            const std::string& path) {
    SimulatedHotkeyManager::SymbolicHotKey hotKey;
    if (!reader.isObject(value, path)) {
        return hotKey;
    }
    constexpr std::int64_t maxCode = std::numeric_limits<std::uint32_t>::max();
    hotKey.keyCode =
        static_cast<std::uint32_t>(reader.integer(value, "keyCode", path, 0, maxCode, true).value_or(0));
    hotKey.modifiers =
        static_cast<std::uint32_t>(reader.integer(value, "modifiers", path, 0, maxCode, true).value_or(0));
    hotKey.enabled = reader.boolean(value, "enabled", path, true);
    return hotKey;
}

Scenario::LoginItemBehaviour decodeLoginItem(Reader& reader, const json& value, const std::string& path) {
    using Status = LoginItemService::Status;
    Scenario::LoginItemBehaviour behaviour;
    const std::size_t status = reader.choice(
        value, "status", path, std::array{"notRegistered", "enabled", "requiresApproval", "notFound"}, 0);
    behaviour.status = std::array{Status::notRegistered, Status::enabled, Status::requiresApproval,
                                  Status::notFound}[status];
    behaviour.requiresApproval = reader.boolean(value, "requiresApproval", path, false);
    constexpr auto low = std::numeric_limits<std::int64_t>::min();
    constexpr auto high = std::numeric_limits<std::int64_t>::max();
    behaviour.registerError = reader.integer(value, "registerError", path, low, high);
    behaviour.unregisterError = reader.integer(value, "unregisterError", path, low, high);
    return behaviour;
}

Scenario::LoginWindowBehaviour decodeLoginWindow(Reader& reader, const json& value, const std::string& path) {
    Scenario::LoginWindowBehaviour behaviour;
    behaviour.available = reader.boolean(value, "available", path, true);
    behaviour.result = static_cast<std::int32_t>(reader
                                                     .integer(value, "result", path,
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max())
                                                     .value_or(0));
    return behaviour;
}

SimulatedCaptureDevices::Device decodeCaptureDevice(Reader& reader, const json& value,
                                                    const std::string& path) {
    using Framework = CaptureDevices::Framework;
    SimulatedCaptureDevices::Device device;
    if (!reader.isObject(value, path)) {
        return device;
    }
    if (Reader::member(value, "kind") == nullptr) {
        reader.fail(path + ".kind", "missing");
    }
    const std::size_t kind = reader.choice(value, "kind", path, std::array{"camera", "audio"}, 0);
    device.framework = kind == 0 ? Framework::coreMediaIO : Framework::coreAudio;
    constexpr std::int64_t maxCode = std::numeric_limits<std::uint32_t>::max();
    // Identifier 1 is the framework's system object.
    device.objectID =
        static_cast<CaptureDevices::ObjectID>(reader.integer(value, "id", path, 2, maxCode).value_or(0));
    device.name = reader.string(value, "name", path).value_or("");
    constexpr std::int64_t maxStreams = 64;
    device.inputStreams =
        static_cast<std::uint32_t>(reader.integer(value, "inputStreams", path, 0, maxStreams).value_or(0));
    device.outputStreams =
        static_cast<std::uint32_t>(reader.integer(value, "outputStreams", path, 0, maxStreams).value_or(0));
    device.runningSomewhere = reader.boolean(value, "running", path, false);
    return device;
}

Scenario::HomeBehaviour decodeHome(Reader& reader, const json& value, const std::string& path) {
    Scenario::HomeBehaviour behaviour;
    if (auto folder = reader.string(value, "folder", path, true)) {
        behaviour.folder = *folder;
        if (!behaviour.folder.is_absolute()) {
            reader.fail(path + ".folder", "expected an absolute path");
        }
    }
    behaviour.menuBarContainerGranted = reader.boolean(value, "menuBarContainerGranted", path, false);
    if (const json* table = reader.object(value, "layoutTable", path)) {
        for (const auto& [key, position] : table->items()) {
            if (!position.is_number() || !std::isfinite(position.get<double>())) {
                std::string where = path + ".layoutTable.";
                where += key;
                reader.fail(where, "expected a number");
                continue;
            }
            behaviour.layoutTable.emplace(key, position.get<double>());
        }
    }
    return behaviour;
}

Scenario::SystemBehaviour decodeSystem(Reader& reader, const json& value, const std::string& path) {
    Scenario::SystemBehaviour behaviour;
    if (auto version = reader.string(value, "osVersion", path)) {
        std::array<int, 3> parts{0, 0, 0};
        std::size_t count = 0;
        std::size_t start = 0;
        bool ok = !version->empty();
        while (ok && start <= version->size()) {
            const std::size_t dot = std::min(version->find('.', start), version->size());
            const std::string part = version->substr(start, dot - start);
            ok = count < parts.size() && !part.empty() && part.size() <= 4 &&
                 std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (ok) {
                parts[count++] = std::stoi(part);
            }
            start = dot + 1;
        }
        if (!ok || count < 2) {
            reader.fail(path + ".osVersion", "expected a version such as \"15.1\" or \"15.1.2\"");
        } else {
            behaviour.version = {parts[0], parts[1], parts[2]};
        }
    }
    if (auto model = reader.string(value, "machineModel", path)) {
        behaviour.machineModel = *model;
    }
    return behaviour;
}

Scenario::UserBehaviour decodeUser(Reader& reader, const json& value, const std::string& path) {
    Scenario::UserBehaviour behaviour;
    if (auto name = reader.string(value, "fullName", path)) {
        behaviour.fullName = *name;
    }
    if (auto name = reader.string(value, "accountName", path)) {
        if (name->empty()) {
            reader.fail(path + ".accountName", "expected a name that is not empty");
        } else {
            behaviour.accountName = *name;
        }
    }
    return behaviour;
}

std::optional<std::filesystem::path> absolutePath(Reader& reader, const json& object, const char* key,
                                                  const std::string& path) {
    auto text = reader.string(object, key, path);
    if (!text) {
        return std::nullopt;
    }
    std::filesystem::path result(*text);
    if (!result.is_absolute()) {
        reader.fail(join(path, key), "expected an absolute path");
        return std::nullopt;
    }
    return result;
}

// Gives applications without a process identifier one that no other has, and
// refuses duplicates and a second active application.
void completeApplications(Reader& reader, std::vector<SimulatedApplication>& apps) {
    std::set<std::int32_t> taken;
    std::int32_t highest = 400;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const auto pid = apps[i].processIdentifier;
        if (pid == 0) {
            continue;
        }
        if (!taken.insert(pid).second) {
            reader.fail("applications[" + std::to_string(i) + "].processIdentifier",
                        "taken by another application");
        }
        highest = std::max(highest, pid);
    }
    for (auto& app : apps) {
        if (app.processIdentifier == 0) {
            if (highest == std::numeric_limits<std::int32_t>::max()) {
                reader.fail("applications", "no process identifier left to assign");
                return;
            }
            app.processIdentifier = ++highest;
        }
    }
    const auto active = std::count_if(apps.begin(), apps.end(), [](const auto& app) { return app.isActive; });
    if (active > 1) {
        reader.fail("applications", "more than one application is active");
    }
}

// Where the parser stopped, as a person finds it in an editor (line and
// column from 1), and what it found there.
std::string notJsonMessage(std::string_view text, const json::parse_error& error) {
    // `byte` counts the characters read, the one it stopped at included.
    const std::size_t at = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
    const std::string_view before = text.substr(0, at);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    std::string reason = error.what();
    // The library's own prefix ("[json.exception…] parse error at line …: ").
    if (const auto column = reason.find("column "); column != std::string::npos) {
        if (const auto colon = reason.find(": ", column); colon != std::string::npos) {
            reason.erase(0, colon + 2);
        }
    }
    return "the scenario is not valid JSON: line " + std::to_string(line) + ", column " +
           std::to_string(at - lineStart + 1) + ": " + reason;
}

} // namespace

std::variant<Scenario, ScenarioError> Scenario::decode(std::string_view text) {
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& error) {
        return ScenarioError{notJsonMessage(text, error)};
    } catch (const json::exception& error) {
        return ScenarioError{std::string("the scenario is not valid JSON: ") + error.what()};
    }
    if (!root.is_object()) {
        return ScenarioError{"the scenario must be a JSON object"};
    }
    Reader reader;
    Scenario scenario;
    const std::string path;
    if (const json* screens = reader.array(root, "screens", path)) {
        scenario.screens.clear();
        for (std::size_t i = 0; i < screens->size(); ++i) {
            scenario.screens.push_back(
                decodeScreen(reader, (*screens)[i], "screens[" + std::to_string(i) + "]"));
        }
        if (scenario.screens.empty()) {
            reader.fail("screens", "at least one screen is needed");
        }
    }
    if (const json* apps = reader.array(root, "applications", path, true)) {
        for (std::size_t i = 0; i < apps->size(); ++i) {
            scenario.applications.push_back(
                decodeApplication(reader, (*apps)[i], "applications[" + std::to_string(i) + "]"));
        }
    }
    if (const json* faults = reader.array(root, "loaderFaults", path)) {
        for (std::size_t i = 0; i < faults->size(); ++i) {
            scenario.loaderFaults.push_back(
                decodeFault(reader, (*faults)[i], "loaderFaults[" + std::to_string(i) + "]"));
        }
    }
    if (const json* restriction = reader.object(root, "restriction", path)) {
        scenario.restriction = decodeRestriction(reader, *restriction, "restriction");
    }
    if (const json* hotKeys = reader.array(root, "symbolicHotKeys", path)) {
        scenario.symbolicHotKeys.clear();
        for (std::size_t i = 0; i < hotKeys->size(); ++i) {
            scenario.symbolicHotKeys.push_back(
                decodeSymbolicHotKey(reader, (*hotKeys)[i], "symbolicHotKeys[" + std::to_string(i) + "]"));
        }
    }
    if (const json* loginItem = reader.object(root, "loginItem", path)) {
        scenario.loginItem = decodeLoginItem(reader, *loginItem, "loginItem");
    }
    if (const json* loginWindow = reader.object(root, "loginWindow", path)) {
        scenario.loginWindow = decodeLoginWindow(reader, *loginWindow, "loginWindow");
    }
    scenario.accessibilityTrusted = reader.boolean(root, "accessibilityTrusted", path, true);
    if (const json* devices = reader.array(root, "captureDevices", path)) {
        scenario.captureDevices.clear();
        std::set<std::pair<CaptureDevices::Framework, CaptureDevices::ObjectID>> ids;
        for (std::size_t i = 0; i < devices->size(); ++i) {
            const std::string devicePath = "captureDevices[" + std::to_string(i) + "]";
            auto device = decodeCaptureDevice(reader, (*devices)[i], devicePath);
            if (device.objectID != 0 && !ids.insert({device.framework, device.objectID}).second) {
                reader.fail(devicePath + ".id", "taken by another device of that kind");
            }
            scenario.captureDevices.push_back(std::move(device));
        }
    }
    if (const json* home = reader.object(root, "home", path)) {
        scenario.home = decodeHome(reader, *home, "home");
    }
    if (auto folder = absolutePath(reader, root, "root", path)) {
        scenario.root = *folder;
    }
    scenario.ownBundlePath = absolutePath(reader, root, "ownBundlePath", path);
    if (const json* system = reader.object(root, "system", path)) {
        scenario.system = decodeSystem(reader, *system, "system");
    }
    if (const json* user = reader.object(root, "user", path)) {
        scenario.user = decodeUser(reader, *user, "user");
    }
    if (const json* modifiers = reader.array(root, "launchModifiers", path)) {
        constexpr std::array flags{InputState::shiftFlag, InputState::optionFlag, InputState::controlFlag,
                                   InputState::commandFlag};
        for (std::size_t i = 0; i < modifiers->size(); ++i) {
            const std::string itemPath = "launchModifiers[" + std::to_string(i) + "]";
            constexpr std::array names{"shift", "option", "control", "command"};
            const json& name = (*modifiers)[i];
            const auto found = std::find_if(names.begin(), names.end(), [&](const char* word) {
                return name.is_string() && name.get<std::string>() == word;
            });
            if (found == names.end()) {
                reader.fail(itemPath, R"(expected one of "shift", "option", "control", "command")");
                continue;
            }
            scenario.launchModifierFlags |= flags[static_cast<std::size_t>(found - names.begin())];
        }
    }
    if (!reader.error) {
        completeApplications(reader, scenario.applications);
    }
    if (reader.error) {
        return ScenarioError{*reader.error};
    }
    return scenario;
}

std::filesystem::path Scenario::effectiveOwnBundlePath() const {
    if (ownBundlePath) {
        return *ownBundlePath;
    }
    for (const auto& app : applications) {
        if (app.bundleIdentifier == core::bundleIdentifier && !app.bundlePath.empty()) {
            return app.bundlePath;
        }
    }
    return SimulatedDesktop::defaultOwnBundlePath;
}

bool Scenario::addProgramWhenMissing() {
    const bool present = std::any_of(applications.begin(), applications.end(), [](const auto& app) {
        return app.bundleIdentifier == core::bundleIdentifier;
    });
    if (present) {
        return false;
    }
    std::set<std::int32_t> taken;
    for (const auto& app : applications) {
        taken.insert(app.processIdentifier);
    }
    // The built-in desktop's number for it, or the next one free.
    std::int32_t pid = 520;
    while (taken.contains(pid)) {
        ++pid;
    }
    SimulatedApplication program;
    program.bundleIdentifier = std::string(core::bundleIdentifier);
    program.processIdentifier = pid;
    program.localizedName = "Pellacor";
    program.bundlePath = effectiveOwnBundlePath();
    program.activationPolicy = SimulatedApplication::ActivationPolicy::accessory;
    applications.push_back(std::move(program));
    return true;
}

std::variant<Scenario, ScenarioError> Scenario::load(const std::filesystem::path& file) {
    auto contents = core::RegularFileReader::read(file, maximumFileBytes);
    if (contents.status != core::RegularFileReader::Result::Status::ok) {
        return ScenarioError{"cannot read the scenario file " + file.string() +
                             (contents.reason.empty() ? std::string() : " (" + contents.reason + ")")};
    }
    auto result = decode(contents.content);
    if (auto* error = std::get_if<ScenarioError>(&result)) {
        error->message = file.filename().string() + ": " + error->message;
    } else {
        // Icon files named relative to the scenario lie beside it.
        for (auto& app : std::get<Scenario>(result).applications) {
            if (app.iconFile && app.iconFile->is_relative()) {
                app.iconFile = std::filesystem::absolute(file).parent_path() / *app.iconFile;
            }
        }
    }
    return result;
}

} // namespace pellacor::platform
