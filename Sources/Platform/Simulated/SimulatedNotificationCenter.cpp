#include "Platform/Simulated/SimulatedNotificationCenter.h"

#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace pellacor::platform {

struct SimulatedNotificationCenter::State {
    struct Observation {
        std::string name;
        // Nothing for the main queue.
        std::shared_ptr<DispatchQueue> queue;
        // Shared so that a block removed while it runs stays alive until it returns.
        std::shared_ptr<const Block> block;
    };

    mutable std::mutex mutex;
    // By token value, which grows with each registration: the map's order is the registration order.
    std::map<std::uint64_t, Observation> observations;
    std::uint64_t nextToken = 1;
    std::shared_ptr<DispatchQueue> mainQueue;
    std::thread::id mainThread;
};

SimulatedNotificationCenter::SimulatedNotificationCenter() : state_(std::make_shared<State>()) {}

NotificationCenter::ObservationToken
SimulatedNotificationCenter::addObserver(std::string name, std::shared_ptr<DispatchQueue> queue,
                                         Block block) {
    std::lock_guard lock(state_->mutex);
    const std::uint64_t token = state_->nextToken++;
    state_->observations.emplace(token, State::Observation{std::move(name), std::move(queue),
                                                           std::make_shared<const Block>(std::move(block))});
    return ObservationToken{token};
}

void SimulatedNotificationCenter::removeObserver(ObservationToken token) {
    std::lock_guard lock(state_->mutex);
    state_->observations.erase(token.value);
}

void SimulatedNotificationCenter::post(Notification notification) {
    std::vector<std::pair<std::uint64_t, std::shared_ptr<DispatchQueue>>> queued;
    std::shared_ptr<DispatchQueue> mainQueue;
    {
        std::lock_guard lock(state_->mutex);
        for (const auto& [token, observation] : state_->observations) {
            if (observation.queue && observation.name == notification.name) {
                queued.emplace_back(token, observation.queue);
            }
        }
        if (state_->mainQueue && state_->mainThread != std::this_thread::get_id()) {
            mainQueue = state_->mainQueue;
        }
    }
    std::weak_ptr<State> weak = state_;
    for (const auto& [token, queue] : queued) {
        queue->async([weak, token = token, notification] {
            if (auto state = weak.lock()) {
                deliver(state, token, notification);
            }
        });
    }
    if (!mainQueue) {
        deliverOnMain(state_, notification);
        return;
    }
    mainQueue->async([weak, notification = std::move(notification)] {
        if (auto state = weak.lock()) {
            deliverOnMain(state, notification);
        }
    });
}

void SimulatedNotificationCenter::setMainQueue(std::shared_ptr<DispatchQueue> queue) {
    std::lock_guard lock(state_->mutex);
    state_->mainQueue = std::move(queue);
    state_->mainThread = std::this_thread::get_id();
}

std::size_t SimulatedNotificationCenter::observerCount(std::string_view name) const {
    std::lock_guard lock(state_->mutex);
    std::size_t count = 0;
    for (const auto& [token, observation] : state_->observations) {
        count += observation.name == name ? 1 : 0;
    }
    return count;
}

std::size_t SimulatedNotificationCenter::observerCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->observations.size();
}

void SimulatedNotificationCenter::deliver(const std::shared_ptr<State>& state, std::uint64_t token,
                                          const Notification& notification) {
    std::shared_ptr<const Block> block;
    {
        std::lock_guard lock(state->mutex);
        auto it = state->observations.find(token);
        if (it == state->observations.end()) {
            return;
        }
        block = it->second.block;
    }
    if (*block) {
        (*block)(notification);
    }
}

void SimulatedNotificationCenter::deliverOnMain(const std::shared_ptr<State>& state,
                                                const Notification& notification) {
    std::vector<std::uint64_t> tokens;
    {
        std::lock_guard lock(state->mutex);
        for (const auto& [token, observation] : state->observations) {
            if (!observation.queue && observation.name == notification.name) {
                tokens.push_back(token);
            }
        }
    }
    // Each looked up again when its turn comes: an earlier block may have removed a later one.
    for (const std::uint64_t token : tokens) {
        deliver(state, token, notification);
    }
}

} // namespace pellacor::platform
