#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

namespace pellacor::app {

// One system symbol drawn in a colour that is worked out each time it paints
// (from the view's palette), so a change of appearance reaches it. It stands
// in a box as high as a line of text, centred, to sit on that line.
class SymbolView final : public QWidget {
public:
    using Colour = std::function<QColor(const QWidget& view)>;

    SymbolView(std::string_view symbol, double points, Colour colour, int lineHeight,
               QWidget* parent = nullptr);

    void setSymbol(std::string_view symbol, Colour colour);
    void setLineHeight(int lineHeight);
    const std::string& symbol() const { return symbol_; }
    // The colour it paints in now.
    QColor colour() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbol_;
    double points_;
    Colour colour_;
    int lineHeight_;
};

} // namespace pellacor::app
