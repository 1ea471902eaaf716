#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace pellacor::app {

// The observers of one observable model, told which of its properties changed.
// A model notifies only when a stored value actually changes; a view redraws
// what it read of that property. Main thread; an observer may add or remove
// observers (itself too) while being told.
template <typename Property> class ModelObservers {
public:
    using Observer = std::function<void(Property)>;
    using Token = std::uint64_t;

    // The observer stays until its token is removed.
    Token add(Observer observer) {
        const Token token = ++lastToken_;
        observers_.emplace(token, std::move(observer));
        return token;
    }
    void remove(Token token) { observers_.erase(token); }

    void notify(Property property) const {
        std::vector<std::pair<Token, Observer>> current(observers_.begin(), observers_.end());
        for (const auto& [token, observer] : current) {
            // One removed by an earlier observer of this round is not told.
            if (observers_.contains(token)) {
                observer(property);
            }
        }
    }

    // Stores `value` in `field`; tells the observers only when it differs.
    template <typename T, typename U> bool assign(T& field, U&& value, Property property) {
        if (field == value) {
            field = std::forward<U>(value);
            return false;
        }
        field = std::forward<U>(value);
        notify(property);
        return true;
    }

private:
    Token lastToken_ = 0;
    std::map<Token, Observer> observers_;
};

} // namespace pellacor::app
