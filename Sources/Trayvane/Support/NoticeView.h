#pragma once

#include "MenuBarCore/Support/Subscription.h"

#include <QWidget>
#include <memory>

class QVBoxLayout;

namespace pellacor::app {

class NoticeModel;

// The content of every notice window, drawn from its model and redrawn on
// each change: the title, the message (wrapped, never cut), the details
// (label over selectable text), the buttons at the right end of their row,
// and the note when there is one. `width` wide, the insets included; as high
// as its content. Return presses the prominent button; Escape the cancel
// button, or closes the window when the row has none.
class NoticeView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 560;
    static constexpr int inset = 24;
    static constexpr int spacing = 14;

    explicit NoticeView(std::shared_ptr<NoticeModel> model, QWidget* parent = nullptr);
    ~NoticeView() override;

    // What Return and Escape do; false when there was nothing to press.
    bool pressDefault();
    bool pressCancel();

    // The height the content needs at the view's width.
    int contentHeight() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();

    std::shared_ptr<NoticeModel> model_;
    core::Subscription subscription_;
    QVBoxLayout* column_ = nullptr;
    QWidget* content_ = nullptr;
};

} // namespace pellacor::app
