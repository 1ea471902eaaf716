#pragma once

#include <functional>
#include <memory>
#include <string>

namespace pellacor::app {

class SearchModel;

// What the search controller needs of the panel's window, so that the
// controller is tested without one: bring it up over the model, take it
// away, describe where it is, and hear when the user dismissed it.
class SearchWindowing {
public:
    virtual ~SearchWindowing() = default;

    // Called with a close reason ("Esc", "ほかを押した") when the user
    // dismissed the panel while it was presented.
    std::function<void(const std::string& reason)> onDismissedByUser;

    // Shows the panel over the model (content built afresh) and makes it the
    // key window; answers whether it became key.
    virtual bool present(std::shared_ptr<SearchModel> model) = 0;
    // Takes the panel away without reporting it as dismissed by the user.
    virtual void dismiss() = 0;
    // The panel's frame as text, the zero rectangle's before the first showing.
    virtual std::string frameDescription() const = 0;

protected:
    SearchWindowing() = default;
    SearchWindowing(const SearchWindowing&) = default;
    SearchWindowing& operator=(const SearchWindowing&) = default;
};

} // namespace pellacor::app
