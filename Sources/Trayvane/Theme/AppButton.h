#pragma once

#include "Trayvane/Theme/AppButtonStyle.h"

#include <QPushButton>

namespace pellacor::app {

// A push button drawn in the program's button style. It resolves its look each
// time it paints, so a change of appearance shows at the next repaint, which
// Qt asks for when the palette changes.
class AppButton final : public QPushButton {
    Q_OBJECT

public:
    explicit AppButton(const QString& text, bool prominent = false, QWidget* parent = nullptr);

    const AppButtonStyle& style() const { return style_; }
    void setProminent(bool prominent);
    // The look the button draws now.
    ButtonLook currentLook() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    AppButtonStyle style_;
};

} // namespace pellacor::app
