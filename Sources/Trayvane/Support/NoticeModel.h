#pragma once

#include "MenuBarCore/Support/Observers.h"
#include "MenuBarCore/Support/Subscription.h"
#include "Trayvane/Support/NoticeButton.h"
#include "Trayvane/Support/NoticeDetail.h"

#include <optional>
#include <string>
#include <vector>

namespace pellacor::app {

// What a notice window shows: a title, a message, labelled details, a row of
// buttons and an optional note. An equal title, message or note is stored
// silently; details and buttons tell their observers on every assignment
// (a button's action cannot be compared, and a refilled row must be redrawn).
// Main thread only.
class NoticeModel {
public:
    enum class Property { title, message, details, note, buttons };

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    const std::vector<NoticeDetail>& details() const { return details_; }
    const std::optional<std::string>& note() const { return note_; }
    const std::vector<NoticeButton>& buttons() const { return buttons_; }

    void setTitle(std::string title) { observers_.assign(title_, std::move(title), Property::title); }
    void setMessage(std::string message) {
        observers_.assign(message_, std::move(message), Property::message);
    }
    void setNote(std::optional<std::string> note) {
        observers_.assign(note_, std::move(note), Property::note);
    }
    void setDetails(std::vector<NoticeDetail> details) {
        details_ = std::move(details);
        observers_.notify(Property::details);
    }
    void setButtons(std::vector<NoticeButton> buttons) {
        buttons_ = std::move(buttons);
        observers_.notify(Property::buttons);
    }

    core::Subscription observe(std::function<void(const Property&)> observer) {
        return observers_.observe(std::move(observer));
    }

private:
    std::string title_;
    std::string message_;
    std::vector<NoticeDetail> details_;
    std::optional<std::string> note_;
    std::vector<NoticeButton> buttons_;
    core::Observers<Property> observers_;
};

} // namespace pellacor::app
