#pragma once

#include "MenuBarCore/Support/Subscription.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace pellacor::core {

// The observers of one observable thing (a settings model, the icon cache, the
// permission guide), told with `Args` (typically which property changed). The
// one observer list of the program: `observe` hands back a `Subscription`
// that removes the observer when it goes away.
//
// A model keeps one `Observers<Property>` and writes its observable fields
// with `assign`, the store-or-notify rule: a value equal to the stored one
// (`==`: two absent optionals are equal, lists compare element by element) is
// stored silently; a different one is stored and then told.
//
// While being told an observer may subscribe or unsubscribe anyone, itself
// included; one removed during a round is not called later in that round, and
// one added during a round is first told in the next. The list may even be
// destroyed by an observer. Single-threaded (the main thread).
template <typename... Args> class Observers {
public:
    using Observer = std::function<void(const Args&...)>;

    Observers() = default;
    // A copied model starts with no observers of its own: views observe one object.
    Observers(const Observers&) : Observers() {}
    Observers& operator=(const Observers&) { return *this; }
    // A moved model takes its observers along; the emptied one starts afresh
    // (which allocates, hence not noexcept).
    // NOLINTNEXTLINE(performance-noexcept-move-constructor)
    Observers(Observers&& other) : registry_(std::exchange(other.registry_, std::make_shared<Registry>())) {}
    // NOLINTNEXTLINE(performance-noexcept-move-constructor)
    Observers& operator=(Observers&& other) {
        registry_ = std::exchange(other.registry_, std::make_shared<Registry>());
        return *this;
    }
    ~Observers() = default;

    Subscription observe(Observer observer) {
        const std::uint64_t id = ++registry_->lastId;
        registry_->observers.emplace(id, std::make_shared<Observer>(std::move(observer)));
        std::weak_ptr<Registry> weak = registry_;
        return Subscription([weak = std::move(weak), id] {
            if (const auto registry = weak.lock()) {
                registry->observers.erase(id);
            }
        });
    }

    void notify(const Args&... args) const {
        // Held for the round: an observer may destroy the list's owner.
        const std::shared_ptr<Registry> registry = registry_;
        if (registry->observers.empty()) {
            return;
        }
        std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> current(registry->observers.begin(),
                                                                                 registry->observers.end());
        for (const auto& [id, observer] : current) {
            if (registry->observers.contains(id) && *observer) {
                (*observer)(args...);
            }
        }
    }

    // Stores `value` in `field` and tells the observers with `args` only when
    // it differs from what was stored. True when it told them.
    template <typename T, typename U> bool assign(T& field, U&& value, const Args&... args) {
        if (field == value) {
            field = std::forward<U>(value);
            return false;
        }
        field = std::forward<U>(value);
        notify(args...);
        return true;
    }

    std::size_t count() const { return registry_->observers.size(); }

private:
    struct Registry {
        std::uint64_t lastId = 0;
        std::map<std::uint64_t, std::shared_ptr<Observer>> observers;
    };
    std::shared_ptr<Registry> registry_ = std::make_shared<Registry>();
};

} // namespace pellacor::core
