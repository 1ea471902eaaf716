#pragma once

#include "MenuBarCore/Support/Subscription.h"

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

class QPainter;

namespace pellacor::app {

class IconStore;

// An application's icon, 28 × 28 points, read from the shared icon store: a
// grey rounded placeholder while the icon is being rendered, the icon once the
// store reports it. Drawn in colour, or in greys for rows the user cannot
// move, and at half opacity for an application that is not running. Without
// a store (a test, a page shown before the shell made one) it stays the
// placeholder.
class AppIconView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int side = 28;

    AppIconView(std::shared_ptr<IconStore> icons, std::string bundleID, QWidget* parent = nullptr);

    const std::string& bundleID() const { return bundleID_; }
    void setGrey(bool grey);
    bool isGrey() const { return grey_; }
    void setDimmed(bool dimmed);
    bool isDimmed() const { return dimmed_; }
    bool hasImage() const { return image_.has_value(); }

    // The icon as it is drawn now, `side` points square at `pixelRatio`.
    QPixmap picture(double pixelRatio = 2) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw(QPainter& painter) const;

    std::shared_ptr<IconStore> icons_;
    std::string bundleID_;
    core::Subscription arrivals_;
    std::optional<QImage> image_;
    // Made from `image_` when it arrives: greys are computed once, not per paint.
    mutable std::optional<QImage> greyImage_;
    bool grey_ = false;
    bool dimmed_ = false;
};

} // namespace pellacor::app
