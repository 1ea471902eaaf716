#pragma once

#include "Platform/NotificationCenter.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

namespace pellacor::platform {

// A notification center of the simulated platform (the workspace's or the
// application's default one). Thread-safe.
//
// Blocks run on the main queue, as the platform delivers them: a notification
// posted on the main thread reaches its observers before `post` returns; one
// posted from another thread is handed to the main queue and delivered there
// later, to the observers registered at that time. Until a main queue is set
// (a test that drives everything from one thread), every post is delivered at
// once on the posting thread.
class SimulatedNotificationCenter final : public NotificationCenter {
public:
    using Job = std::function<void()>;

    // The application's main thread, and how to run a job there from any
    // thread (the main executor's thread-safe post).
    struct MainQueue {
        std::thread::id thread;
        std::function<void(Job)> post;
    };

    SimulatedNotificationCenter();
    SimulatedNotificationCenter(const SimulatedNotificationCenter&) = delete;
    SimulatedNotificationCenter& operator=(const SimulatedNotificationCenter&) = delete;

    ObservationToken addObserver(std::string name, Block block) override;
    void removeObserver(ObservationToken token) override;

    // Posts from any thread. Observers run in the order they registered; a
    // notification still queued when the center goes away is dropped.
    void post(Notification notification);

    void setMainQueue(MainQueue queue);

    // The blocks registered now: for one name, and in all.
    std::size_t observerCount(std::string_view name) const;
    std::size_t observerCount() const;

private:
    struct State;

    static void deliver(const std::shared_ptr<State>& state, const Notification& notification);

    // Shared with the deliveries on their way to the main queue, which hold it weakly.
    std::shared_ptr<State> state_;
};

} // namespace pellacor::platform
