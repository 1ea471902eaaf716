#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/OffMain.h"
#include "Concurrency/SerialQueue.h"
#include "MenuBarCore/Support/Observers.h"
#include "Platform/Workspace.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace pellacor::app {

// Application icons for every panel and page: 28-point icons drawn at 56
// pixels, one render per application and run, never on the main thread.
// A view asks with `image`; while the icon is missing it shows a placeholder,
// and the store tells its observers when the icon arrives, once per icon.
// A render that fails stores nothing, so the next request tries again. An
// application that is not installed gets the generic application icon.
// Main thread only, except `render`.
class IconStore : public std::enable_shared_from_this<IconStore> {
public:
    // The icon's side in points and in pixels (two pixels per point).
    static constexpr double points = 28;
    static constexpr int pixels = 56;

    // Draws the icon of the application at the path (the generic application
    // icon without one) into a bitmap; nothing when no bitmap can be made.
    // Called off the main thread.
    using Renderer = std::function<std::optional<QImage>(const std::optional<std::string>& path)>;
    using Observer = std::function<void(const std::string& bundleID)>;

    // Renders through `offMain` (the program: `offMainOn(utilityQueue())`) with
    // `render`, by default `render(workspace, path, pixels)`.
    static std::shared_ptr<IconStore> create(concurrency::MainExecutor& executor,
                                             std::shared_ptr<const platform::Workspace> workspace,
                                             concurrency::OffMain offMain, Renderer render = {});

    // The queue icons are rendered on: a worker of its own, labelled with the
    // bundle identifier and ".icons", whose thread runs at a lower scheduling
    // priority than the program's others (a nice value of 10), as background
    // work of utility priority should.
    static std::shared_ptr<concurrency::SerialQueue> utilityQueue();

    // The cached icon, 28 × 28 points made of 56 × 56 pixels; nothing while it
    // is not cached, and then its render starts (unless it is under way).
    std::optional<QImage> image(const std::string& bundleID);
    // Starts rendering each icon that is neither cached nor being rendered, in
    // order. Returns at once.
    template <typename Range> void prefetch(const Range& bundleIDs) {
        for (const auto& bundleID : bundleIDs) {
            prefetchOne(bundleID);
        }
    }

    // The application's icon drawn into a `side` × `side` bitmap of
    // premultiplied sRGB, alpha last, at two pixels per point; nothing when
    // the bitmap cannot be made. Any thread.
    static std::optional<QImage> render(const platform::Workspace& workspace,
                                        const std::optional<std::string>& path, int side);

    // Told of each icon stored, with its bundle identifier, while the
    // subscription lives.
    core::Subscription observe(Observer observer) { return observers_.observe(std::move(observer)); }

    const std::map<std::string, QImage>& images() const { return images_; }
    bool isLoading(const std::string& bundleID) const { return loading_.contains(bundleID); }

private:
    IconStore(concurrency::MainExecutor& executor, std::shared_ptr<const platform::Workspace> workspace,
              concurrency::OffMain offMain, Renderer render);

    void prefetchOne(const std::string& bundleID);
    void finish(const std::string& bundleID, std::optional<QImage> bitmap);
    static concurrency::Task<void> renderIcon(std::weak_ptr<IconStore> weak, std::string bundleID,
                                              std::optional<std::string> path, Renderer render,
                                              concurrency::OffMain offMain);

    concurrency::MainExecutor& executor_;
    std::shared_ptr<const platform::Workspace> workspace_;
    concurrency::OffMain offMain_;
    Renderer render_;
    std::map<std::string, QImage> images_;
    std::set<std::string> loading_;
    core::Observers<std::string> observers_;
};

} // namespace pellacor::app
