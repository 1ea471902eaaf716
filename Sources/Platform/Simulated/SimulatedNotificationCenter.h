#pragma once

#include "Platform/DispatchQueue.h"
#include "Platform/NotificationCenter.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace pellacor::platform {

// A notification center of the simulated platform (the workspace's or the
// application's default one). Thread-safe.
//
// A block registered with a queue is handed to that queue for each
// notification, whichever thread posted it. A block registered for the main
// queue runs as the platform delivers there: a notification posted on the
// main thread reaches it before `post` returns; one posted from another thread
// is handed to the main queue and delivered there later, to the main-queue
// blocks registered at that time. Until a main queue is set (a test that drives
// everything from one thread), main-queue blocks run at once on the posting
// thread. A block removed before its turn comes is not called.
class SimulatedNotificationCenter final : public NotificationCenter {
public:
    SimulatedNotificationCenter();
    SimulatedNotificationCenter(const SimulatedNotificationCenter&) = delete;
    SimulatedNotificationCenter& operator=(const SimulatedNotificationCenter&) = delete;

    using NotificationCenter::addObserver;
    ObservationToken addObserver(std::string name, std::shared_ptr<DispatchQueue> queue,
                                 Block block) override;
    void removeObserver(ObservationToken token) override;

    // Posts from any thread. Observers run in the order they registered; a
    // notification still queued when the center goes away is dropped.
    void post(Notification notification);

    // The main queue; the thread that sets it is the main thread. Set once at
    // launch, on the main thread.
    void setMainQueue(std::shared_ptr<DispatchQueue> queue);

    // The blocks registered now: for one name, and in all.
    std::size_t observerCount(std::string_view name) const;
    std::size_t observerCount() const;

private:
    struct State;

    // Runs the block of `token` when it is still registered.
    static void deliver(const std::shared_ptr<State>& state, std::uint64_t token,
                        const Notification& notification);
    // Runs every main-queue block registered for the notification's name.
    static void deliverOnMain(const std::shared_ptr<State>& state, const Notification& notification);

    // Shared with the deliveries on their way to a queue, which hold it weakly.
    std::shared_ptr<State> state_;
};

} // namespace pellacor::platform
