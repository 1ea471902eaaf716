#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/Simulated/Scenario.h"

#include <map>
#include <string>
#include <utility>

namespace pellacor::platform {

namespace {

using Policy = SimulatedApplication::ActivationPolicy;

SimulatedStatusItem item(std::string identifier, std::string description, double width,
                         std::optional<std::string> title = std::nullopt) {
    SimulatedStatusItem result;
    if (!identifier.empty()) {
        result.identifier = std::move(identifier);
    }
    result.description = std::move(description);
    result.title = std::move(title);
    result.width = width;
    return result;
}

SimulatedStatusItem systemItem(std::string identifier, std::string description, double width, int number,
                               std::optional<std::string> title = std::nullopt) {
    SimulatedStatusItem result = item(std::move(identifier), std::move(description), width, std::move(title));
    result.kind = SimulatedStatusItem::Kind::system;
    result.systemItemNumber = number;
    return result;
}

SimulatedApplication app(std::optional<std::string> bundleIdentifier, std::int32_t pid, std::string name,
                         std::string bundlePath, Policy policy, std::vector<SimulatedStatusItem> items) {
    SimulatedApplication result;
    result.bundleIdentifier = std::move(bundleIdentifier);
    result.processIdentifier = pid;
    result.localizedName = std::move(name);
    result.bundlePath = std::move(bundlePath);
    result.activationPolicy = policy;
    result.statusItems = std::move(items);
    return result;
}

} // namespace

Scenario Scenario::defaultScenario() {
    Scenario scenario;
    // A laptop's built-in screen whose camera housing cuts 180 points out of the
    // middle of the menu bar, leaving 666 points on either side.
    scenario.screens = {SimulatedScreen{core::Rect(0, 0, 1512, 982), 24, 180}};

    auto& apps = scenario.applications;
    // The system's own items stand rightmost, the clock at the far right.
    apps.push_back(app("com.apple.controlcenter", 310, "Control Center",
                       "/System/Library/CoreServices/ControlCenter.app", Policy::accessory,
                       {systemItem("com.apple.menuextra.clock", "Clock", 118, 0, "6月3日(火) 9:41"),
                        systemItem("com.apple.menuextra.controlcenter", "Control Center", 32, 1),
                        systemItem("com.apple.menuextra.battery", "Battery", 38, 2),
                        systemItem("com.apple.menuextra.wifi", "Wi-Fi", 30, 3)}));
    // The user-switching item leaves the bar while anything is restricted; its
    // menu is a window of the control centre.
    SimulatedStatusItem user = systemItem("com.apple.menuextra.user", "User", 28, 4);
    user.hiddenWhileRestricted = true;
    user.menu.ownerBundleIdentifier = "com.apple.controlcenter";
    // The agent also owns the overflow chevron, its last item, which shows only
    // while items do not fit right of the camera housing.
    SimulatedStatusItem chevron = systemItem("", "Hidden items", 16, 5);
    chevron.isOverflowChevron = true;
    chevron.menu.opens = SimulatedMenu::Opening::never;
    apps.push_back(app("com.apple.MenuBarAgent", 312, "MenuBarAgent",
                       "/System/Library/CoreServices/MenuBarAgent.app", Policy::prohibited, {user, chevron}));

    std::string self(core::bundleIdentifier);
    apps.push_back(app(self, 520, "Pellacor", "/Applications/Pellacor.app", Policy::accessory,
                       {item("trv-control", "Pellacor", 28)}));

    apps.push_back(app(
        "com.example.fernlight", 531, "Fernlight", "/Applications/Fernlight.app", Policy::accessory,
        {item("fernlight.status", "Fernlight", 24), item("fernlight.timer", "Focus timer", 52, "25:00")}));
    apps.push_back(app("com.example.cobaltide", 533, "Cobaltide", "/Applications/Cobaltide.app",
                       Policy::accessory, {item("", "Cobaltide", 24)}));
    apps.push_back(
        app("com.example.murmurtask", 537, "Murmurtask", "/Applications/Murmurtask.app", Policy::regular,
            {item("murmurtask.inbox", "Tasks", 26, "3"), item("murmurtask.quick", "Quick entry", 24)}));
    apps.push_back(app("com.example.zephyrin", 541, "Zephyrin", "/Applications/Zephyrin.app",
                       Policy::accessory, {item("zephyrin.weather", "Weather", 46, "18°")}));
    apps.push_back(app("com.example.vellumpad", 543, "Vellumpad", "/Applications/Vellumpad.app",
                       Policy::accessory, {item("", "Vellumpad notes", 22)}));
    apps.push_back(app("com.example.quillowsync", 547, "Quillow Sync", "/Applications/Quillow Sync.app",
                       Policy::accessory,
                       {item("quillow.status", "Sync status", 24), item("quillow.upload", "Uploads", 24),
                        item("quillow.share", "Share", 24)}));
    apps.push_back(app("com.example.brambleclip", 551, "Brambleclip", "/Applications/Brambleclip.app",
                       Policy::accessory, {item("brambleclip.history", "Clipboard history", 24)}));
    apps.push_back(
        app("com.example.orbitab", 553, "Orbitab", "/Applications/Orbitab.app", Policy::accessory,
            {item("orbitab.windows", "Window layouts", 24), item("orbitab.spaces", "Spaces", 30, "2")}));
    apps.push_back(app("com.example.lanternmeter", 557, "Lanternmeter", "/Applications/Lanternmeter.app",
                       Policy::accessory,
                       {item("lantern.cpu", "CPU", 44, "12%"), item("lantern.memory", "Memory", 52, "8.1G"),
                        item("lantern.network", "Network", 60, "↓2M ↑1K")}));
    apps.push_back(app("com.example.tinderbell", 561, "Tinderbell", "/Applications/Tinderbell.app",
                       Policy::accessory, {item("tinderbell.alerts", "Reminders", 24)}));
    apps.push_back(app("com.example.saffrontunnel", 563, "Saffron Tunnel", "/Applications/Saffron Tunnel.app",
                       Policy::accessory, {item("saffron.connection", "Tunnel", 24)}));
    apps.push_back(app(
        "com.example.driftkey", 569, "Driftkey", "/Applications/Driftkey.app", Policy::accessory,
        {item("driftkey.layout", "Keyboard layout", 28, "あ"), item("driftkey.caffeine", "Stay awake", 24)}));
    // A helper without a bundle: its item has no bundle identifier to allow.
    apps.push_back(app(std::nullopt, 571, "gaugeling-agent", "/usr/local/libexec/gaugeling-agent",
                       Policy::prohibited, {item("", "Gaugeling", 24)}));

    // The frontmost application, without status items.
    auto editor =
        app("com.example.quartzpen", 580, "Quartzpen", "/Applications/Quartzpen.app", Policy::regular, {});
    editor.isActive = true;
    editor.windows = {SimulatedWindow{0, core::Rect(220, 140, 900, 640), true}};
    apps.push_back(std::move(editor));

    // Installed but not running: its item is not on the bar.
    auto mail = app("com.example.pebblemail", 590, "Pebblemail", "/Applications/Pebblemail.app",
                    Policy::regular, {item("pebblemail.unread", "Unread mail", 30, "12")});
    mail.isRunning = false;
    apps.push_back(std::move(mail));

    // The icons a view draws for them.
    const std::map<std::string, std::pair<std::string, std::string>> icons{
        {"com.example.fernlight", {"F", "#3f9b5b"}},
        {"com.example.cobaltide", {"C", "#2f5fb3"}},
        {"com.example.murmurtask", {"M", "#c0504d"}},
        {"com.example.zephyrin", {"Z", "#4aa3c9"}},
        {"com.example.vellumpad", {"V", "#c49a3a"}},
        {"com.example.quillowsync", {"Q", "#6a5acd"}},
        {"com.example.brambleclip", {"B", "#8b5a2b"}},
        {"com.example.orbitab", {"O", "#d2691e"}},
        {"com.example.lanternmeter", {"L", "#b8860b"}},
        {"com.example.tinderbell", {"T", "#cd5c5c"}},
        {"com.example.saffrontunnel", {"S", "#e0a030"}},
        {"com.example.driftkey", {"D", "#708090"}},
        {"com.example.quartzpen", {"Q", "#9370db"}},
        {"com.example.pebblemail", {"P", "#4682b4"}},
        {self, {"P", "#2e8b57"}}};
    for (auto& application : apps) {
        if (application.bundleIdentifier) {
            if (auto found = icons.find(*application.bundleIdentifier); found != icons.end()) {
                application.iconGlyph = found->second.first;
                application.iconColor = found->second.second;
            }
        }
    }

    // The menu bar's layout table as a new home folder finds it: the clock
    // item's neighbours as the user once left them.
    scenario.home.layoutTable = {
        {"status:com.example.zephyrin::Item-0", 0},
        {"status:com.example.lanternmeter::Item-0", 1},
        {"status:com.example.lanternmeter::Item-1", 2},
        {"status:com.example.fernlight::Item-1", 3},
    };
    return scenario;
}

} // namespace pellacor::platform
