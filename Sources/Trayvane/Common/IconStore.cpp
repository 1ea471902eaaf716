#include "Trayvane/Common/IconStore.h"

#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/AppIdentity.h"

#include <QColorSpace>
#include <QPainter>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace pellacor::app {

std::shared_ptr<IconStore> IconStore::create(concurrency::MainExecutor& executor,
                                             std::shared_ptr<const platform::Workspace> workspace,
                                             concurrency::OffMain offMain, Renderer render) {
    if (!render) {
        std::weak_ptr<const platform::Workspace> weak = workspace;
        render = [weak](const std::optional<std::string>& path) -> std::optional<QImage> {
            const auto workspace = weak.lock();
            return workspace ? IconStore::render(*workspace, path, pixels) : std::nullopt;
        };
    }
    return std::shared_ptr<IconStore>(
        new IconStore(executor, std::move(workspace), std::move(offMain), std::move(render)));
}

IconStore::IconStore(concurrency::MainExecutor& executor,
                     std::shared_ptr<const platform::Workspace> workspace, concurrency::OffMain offMain,
                     Renderer render)
    : executor_(executor), workspace_(std::move(workspace)), offMain_(std::move(offMain)),
      render_(std::move(render)) {}

std::shared_ptr<concurrency::SerialQueue> IconStore::utilityQueue() {
    auto queue = std::make_shared<concurrency::SerialQueue>(std::string(core::bundleIdentifier) + ".icons");
    // The first job lowers the worker's own priority; Linux keeps a nice value
    // per thread. A refusal leaves it at the usual priority, which only costs time.
    queue->async([] {
        constexpr int utilityNice = 10;
        [[maybe_unused]] const int result =
            setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), utilityNice);
    });
    return queue;
}

std::optional<QImage> IconStore::image(const std::string& bundleID) {
    if (const auto found = images_.find(bundleID); found != images_.end()) {
        return found->second;
    }
    prefetchOne(bundleID);
    return std::nullopt;
}

void IconStore::prefetchOne(const std::string& bundleID) {
    if (images_.contains(bundleID) || loading_.contains(bundleID)) {
        return;
    }
    loading_.insert(bundleID);
    // Found here, on the main thread; the render gets the path alone.
    std::optional<std::string> path = workspace_ ? workspace_->urlForApplication(bundleID) : std::nullopt;
    concurrency::spawn(executor_, renderIcon(weak_from_this(), bundleID, std::move(path), render_, offMain_),
                       "icon");
}

concurrency::Task<void> IconStore::renderIcon(std::weak_ptr<IconStore> weak, std::string bundleID,
                                              std::optional<std::string> path, Renderer render,
                                              concurrency::OffMain offMain) {
    auto job = [render = std::move(render), path = std::move(path)] { return render(path); };
    auto bitmap = co_await concurrency::offMain(std::move(offMain), std::move(job));
    const auto self = weak.lock();
    if (!self) {
        co_return; // the store is gone: the icon is dropped
    }
    self->finish(bundleID, std::move(bitmap));
}

void IconStore::finish(const std::string& bundleID, std::optional<QImage> bitmap) {
    loading_.erase(bundleID);
    if (!bitmap || bitmap->isNull()) {
        return; // nothing stored: the next request renders again
    }
    bitmap->setDevicePixelRatio(bitmap->width() / points);
    images_.insert_or_assign(bundleID, std::move(*bitmap));
    observers_.notify(bundleID);
}

std::optional<QImage> IconStore::render(const platform::Workspace& workspace,
                                        const std::optional<std::string>& path, int side) {
    const platform::ApplicationIcon icon =
        path ? workspace.iconForFile(*path) : workspace.iconForApplicationBundleType();
    QImage bitmap(side, side, QImage::Format_RGBA8888_Premultiplied);
    // No bitmap, or an icon whose pixels do not fill it: nothing to store.
    if (bitmap.isNull() || !icon.isWellFormed()) {
        return std::nullopt;
    }
    bitmap.setColorSpace(QColorSpace::SRgb);
    bitmap.fill(Qt::transparent);
    const QImage source(icon.rgba.data(), icon.width, icon.height, qsizetype{icon.width} * 4,
                        QImage::Format_RGBA8888);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, side, side), source);
    painter.end();
    return bitmap;
}

} // namespace pellacor::app
