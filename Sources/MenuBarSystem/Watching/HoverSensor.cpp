#include "MenuBarSystem/Watching/HoverSensor.h"

#include "MenuBarCore/Support/AppIdentity.h"
#include "Platform/AccessibilityError.h"
#include "Platform/AccessibilityName.h"
#include "Platform/NotificationNames.h"

#include <system_error>

namespace pellacor::system {

using platform::AccessibilityError;
using platform::AccessibilityName;
using platform::NotificationNames;

namespace {

std::string roleText(const std::optional<std::string>& role) {
    return role ? *role : std::string(HoverSensor::unreadableRole);
}

// The control point hit something that is not this program's item on the bar
// in use: the pointer's screen is not the one whose menu bar holds the item.
HoverSpaceCheck elsewhere(const std::optional<std::string>& role) {
    return HoverSpaceCheck{false, "操作口に当てると " + roleText(role) + "（いま使っている画面ではない）"};
}

} // namespace

std::string HoverSensor::queueLabel() {
    return std::string(core::bundleIdentifier) + std::string(queueSuffix);
}

std::shared_ptr<HoverSensor> HoverSensor::create(ControlFrame controlFrame,
                                                 const platform::PlatformServices& services,
                                                 std::shared_ptr<concurrency::SerialQueue> queue) {
    std::shared_ptr<HoverSensor> sensor(new HoverSensor(std::move(controlFrame), services, std::move(queue)));
    sensor->refreshScreens();
    sensor->observe(sensor->defaultCenter_, NotificationNames::applicationDidChangeScreenParameters);
    sensor->observe(sensor->workspaceCenter_, NotificationNames::workspaceActiveSpaceDidChange);
    return sensor;
}

HoverSensor::HoverSensor(ControlFrame controlFrame, const platform::PlatformServices& services,
                         std::shared_ptr<concurrency::SerialQueue> queue)
    : controlFrame_(std::move(controlFrame)), platformScreens_(services.screens),
      defaultCenter_(services.notificationCenter), workspaceCenter_(services.workspace->notificationCenter()),
      input_(services.inputState), statusBar_(services.statusBar), windowList_(services.windowList),
      accessibility_(services.accessibility), processInfo_(services.processInfo), queue_(std::move(queue)) {}

HoverSensor::~HoverSensor() {
    for (const auto& [center, token] : observers_) {
        center->removeObserver(token);
    }
}

void HoverSensor::observe(const std::shared_ptr<platform::NotificationCenter>& center,
                          std::string_view name) {
    std::weak_ptr<HoverSensor> weak = weak_from_this();
    auto token =
        center->addObserver(std::string(name), [weak](const platform::NotificationCenter::Notification&) {
            if (auto self = weak.lock()) {
                self->refreshScreens();
            }
        });
    observers_.emplace_back(center, token);
}

void HoverSensor::refreshScreens() {
    screens_ = hoverScreens(platformScreens_->screens());
}

std::vector<HoverSensor::Screen> HoverSensor::hoverScreens(const std::vector<platform::Screen>& screens) {
    std::vector<Screen> result;
    result.reserve(screens.size());
    for (const auto& screen : screens) {
        const core::Rect& frame = screen.frame;
        double rightStart = frame.midX();
        if (const auto& area = screen.auxiliaryTopRightArea;
            area && !area->isEmpty() && frame.contains(core::Point{area->midX(), area->midY()})) {
            rightStart = area->minX();
        }
        const auto bands = PointerSensor::screenBands({screen});
        result.push_back(Screen{bands.front(), rightStart});
    }
    return result;
}

HoverSample HoverSensor::sample() {
    HoverSample result;
    result.location = input_->mouseLocation();
    const auto control = controlFrame_ ? controlFrame_() : std::nullopt;
    result.zone = zone(result.location, screens_, control, statusBar_->thickness());
    result.buttonsPressed = input_->pressedMouseButtons() != 0;
    return result;
}

bool HoverSensor::menuIsOpen() {
    if (input_->pressedMouseButtons() != 0) {
        return true;
    }
    const auto windows = PointerSensor::onScreenWindows(*windowList_);
    return !windows || PointerSensor::hasMenu(*windows);
}

core::HoverZone HoverSensor::zone(core::Point point, const std::vector<Screen>& screens,
                                  std::optional<core::Rect> control, double statusBarThickness) {
    using core::HoverZone;
    if (!control || control->isEmpty()) {
        return HoverZone::away;
    }
    const core::Point middle{control->midX(), control->midY()};
    const Screen* home = nullptr;
    for (const auto& screen : screens) {
        if (screen.band.frame.contains(middle)) {
            home = &screen;
            break;
        }
    }
    if (home == nullptr) {
        return HoverZone::away;
    }
    const core::Rect& frame = home->band.frame;
    const bool onHome = point.x >= frame.minX() && point.x < frame.maxX() && point.y >= frame.minY() &&
                        point.y <= frame.maxY();
    if (!onHome) {
        return HoverZone::away;
    }
    std::vector<PointerSensor::ScreenBand> bands;
    bands.reserve(screens.size());
    for (const auto& screen : screens) {
        bands.push_back(screen.band);
    }
    if (!PointerSensor::isInMenuBar(point, bands, statusBarThickness)) {
        return HoverZone::away;
    }
    const core::Rect grown(control->minX(), control->minY() - controlSlack, control->width(),
                           control->height() + 2 * controlSlack);
    if (grown.contains(point)) {
        return HoverZone::control;
    }
    return point.x >= home->rightStart ? HoverZone::rightSpace : HoverZone::away;
}

std::array<core::Point, 3> HoverSensor::probePoints(core::Point point, double primaryTop) {
    const double y = primaryTop - point.y;
    return {core::Point{point.x - probeSpread, y}, core::Point{point.x, y},
            core::Point{point.x + probeSpread, y}};
}

HoverSensor::Hit HoverSensor::hit(platform::Accessibility& accessibility, core::Point point) {
    const auto systemWide = accessibility.createSystemWide();
    accessibility.setMessagingTimeout(systemWide, hitTimeout);
    const auto found = accessibility.copyElementAtPosition(systemWide, static_cast<float>(point.x),
                                                           static_cast<float>(point.y));
    if (found.error != AccessibilityError::success || !found.element) {
        return Hit{};
    }
    // The element found answers on its own time-out; the hit test's bound holds
    // for its role too.
    accessibility.setMessagingTimeout(found.element, hitTimeout);
    Hit result;
    if (const auto pid = accessibility.getPid(found.element); pid.error == AccessibilityError::success) {
        result.pid = pid.processIdentifier;
    }
    const auto role = accessibility.copyAttributeValue(found.element, AccessibilityName::role);
    if (role.error == AccessibilityError::success && role.value && role.value->string() != nullptr) {
        result.role = *role.value->string();
    }
    return result;
}

concurrency::Task<HoverSpaceCheck> HoverSensor::checkEmptySpace(core::Point point) {
    const auto screens = platformScreens_->screens();
    if (screens.empty()) {
        return answer(HoverSpaceCheck{false, std::string(unknownControlNote)});
    }
    const double primaryTop = screens.front().frame.maxY();
    const auto control = controlFrame_ ? controlFrame_() : std::nullopt;
    if (!control || control->isEmpty()) {
        return answer(HoverSpaceCheck{false, std::string(unknownControlNote)});
    }
    const core::Point controlPoint{control->midX(), primaryTop - control->midY()};
    return hitTests(queue_, accessibility_, controlPoint, probePoints(point, primaryTop),
                    processInfo_->processIdentifier());
}

concurrency::Task<HoverSpaceCheck> HoverSensor::answer(HoverSpaceCheck check) {
    co_return check;
}

concurrency::Task<HoverSpaceCheck>
HoverSensor::hitTests(std::shared_ptr<concurrency::SerialQueue> queue,
                      std::shared_ptr<platform::Accessibility> accessibility, core::Point controlPoint,
                      std::array<core::Point, 3> probes, std::int32_t self) {
    // A hit test may wait up to its time-out for a slow application, so the
    // tests leave the main thread.
    auto job = [accessibility, controlPoint, probes, self] {
        return judge(*accessibility, controlPoint, probes, self);
    };
    concurrency::Task<HoverSpaceCheck> tests;
    try {
        tests = queue->run(std::move(job));
    } catch (const std::system_error&) {
        // The queue could not start its thread: nothing could be hit, as when
        // every hit fails.
        co_return elsewhere(std::nullopt);
    }
    auto check = co_await std::move(tests);
    co_return check;
}

HoverSpaceCheck HoverSensor::judge(platform::Accessibility& accessibility, core::Point controlPoint,
                                   const std::array<core::Point, 3>& probes, std::int32_t self) {
    const Hit control = hit(accessibility, controlPoint);
    if (!control.role || control.pid != self || *control.role == AccessibilityName::menuBarRole) {
        return elsewhere(control.role);
    }
    std::array<Hit, 3> hits;
    for (std::size_t i = 0; i < probes.size(); ++i) {
        hits[i] = hit(accessibility, probes[i]);
    }
    bool bare = true;
    std::string note;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        bare = bare && hits[i].role == AccessibilityName::menuBarRole;
        note += (i == 0 ? "" : "・") + roleText(hits[i].role);
    }
    if (bare) {
        return HoverSpaceCheck{true, ""};
    }
    return HoverSpaceCheck{false, note};
}

} // namespace pellacor::system
