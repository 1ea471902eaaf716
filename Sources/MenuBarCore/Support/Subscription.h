#pragma once

#include <functional>

namespace pellacor::core {

// One observer's place in an `Observers` list, held by whoever observes. When
// it goes away (or is reset) the observer is removed, so a view that keeps
// its subscription as a member never unsubscribes by hand and is never told
// after its destruction. It may outlive the list it came from. Move-only.
class [[nodiscard]] Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& other) noexcept : cancel_(std::move(other.cancel_)) {
        other.cancel_ = nullptr;
    }
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            reset();
            cancel_ = std::move(other.cancel_);
            other.cancel_ = nullptr;
        }
        return *this;
    }
    ~Subscription() { reset(); }

    // Removes the observer now; from then on it is not told, not even later
    // in a round of notifications under way.
    void reset() {
        if (auto cancel = std::move(cancel_)) {
            cancel_ = nullptr;
            cancel();
        }
    }
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

} // namespace pellacor::core
