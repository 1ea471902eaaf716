#include "MenuBarSystem/Watching/ScreenWatcher.h"

#include "Platform/NotificationNames.h"

#include <string>

namespace pellacor::system {

using platform::NotificationNames;

std::shared_ptr<ScreenWatcher>
ScreenWatcher::create(std::shared_ptr<const platform::Screens> screens,
                      std::shared_ptr<platform::NotificationCenter> workspaceCenter,
                      std::shared_ptr<platform::NotificationCenter> defaultCenter) {
    return std::shared_ptr<ScreenWatcher>(
        new ScreenWatcher(std::move(screens), std::move(workspaceCenter), std::move(defaultCenter)));
}

ScreenWatcher::ScreenWatcher(std::shared_ptr<const platform::Screens> screens,
                             std::shared_ptr<platform::NotificationCenter> workspaceCenter,
                             std::shared_ptr<platform::NotificationCenter> defaultCenter)
    : screens_(std::move(screens)), workspaceCenter_(std::move(workspaceCenter)),
      defaultCenter_(std::move(defaultCenter)) {}

std::vector<core::NotchPlanner::Screen> ScreenWatcher::screens() {
    return currentScreens(*screens_);
}

std::vector<core::NotchPlanner::Screen> ScreenWatcher::currentScreens(const platform::Screens& screens) {
    std::vector<FrameAndTopRight> pairs;
    for (const auto& screen : screens.screens()) {
        pairs.push_back({screen.frame, screen.auxiliaryTopRightArea});
    }
    return convert(pairs);
}

std::vector<core::Rect> ScreenWatcher::currentFrames(const platform::Screens& screens) {
    std::vector<core::Rect> frames;
    for (const auto& screen : currentScreens(screens)) {
        frames.push_back(screen.frame);
    }
    return frames;
}

std::vector<core::NotchPlanner::Screen> ScreenWatcher::convert(const std::vector<FrameAndTopRight>& screens) {
    std::vector<core::NotchPlanner::Screen> result;
    if (screens.empty()) {
        return result;
    }
    // Item frames are read top-down from the top-left corner of the first
    // screen; x is the same in both spaces.
    const core::Rect& first = screens.front().frame;
    for (const auto& [frame, topRight] : screens) {
        core::NotchPlanner::Screen converted;
        converted.frame = core::convertScreenSpace(frame, first);
        if (topRight && !topRight->isEmpty()) {
            converted.notchRight = topRight->minX();
        }
        result.push_back(converted);
    }
    return result;
}

void ScreenWatcher::start(std::function<void()> onChange) {
    if (onChange_) {
        return;
    }
    // Stored even when empty, as a callback that does nothing: a stored
    // callback is what marks the watcher as watching.
    onChange_ = onChange ? std::move(onChange) : [] {};
    observe(workspaceCenter_, NotificationNames::workspaceActiveSpaceDidChange);
    observe(workspaceCenter_, NotificationNames::workspaceDidActivateApplication);
    observe(defaultCenter_, NotificationNames::applicationDidChangeScreenParameters);
}

void ScreenWatcher::stop() {
    for (const auto& [center, token] : observers_) {
        center->removeObserver(token);
    }
    observers_.clear();
    onChange_ = nullptr;
}

void ScreenWatcher::observe(const std::shared_ptr<platform::NotificationCenter>& center,
                            std::string_view name) {
    std::weak_ptr<ScreenWatcher> weak = weak_from_this();
    auto token =
        center->addObserver(std::string(name), [weak](const platform::NotificationCenter::Notification&) {
            if (auto self = weak.lock()) {
                self->changed();
            }
        });
    observers_.emplace_back(center, token);
}

void ScreenWatcher::changed() {
    if (!onChange_) {
        return;
    }
    // A copy: the callback may stop the watcher, which clears the stored one.
    auto onChange = onChange_;
    onChange();
}

} // namespace pellacor::system
