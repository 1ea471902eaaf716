#include "Platform/Simulated/SimulatedNotificationCenter.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace pellacor::platform {

struct SimulatedNotificationCenter::State {
    struct Observation {
        std::string name;
        // Shared so that a block removed while it runs stays alive until it returns.
        std::shared_ptr<const Block> block;
    };

    mutable std::mutex mutex;
    // By token value, which grows with each registration: the map's order is the registration order.
    std::map<std::uint64_t, Observation> observations;
    std::uint64_t nextToken = 1;
    MainQueue mainQueue;
};

SimulatedNotificationCenter::SimulatedNotificationCenter() : state_(std::make_shared<State>()) {}

NotificationCenter::ObservationToken SimulatedNotificationCenter::addObserver(std::string name, Block block) {
    std::lock_guard lock(state_->mutex);
    const std::uint64_t token = state_->nextToken++;
    state_->observations.emplace(
        token, State::Observation{std::move(name), std::make_shared<const Block>(std::move(block))});
    return ObservationToken{token};
}

void SimulatedNotificationCenter::removeObserver(ObservationToken token) {
    std::lock_guard lock(state_->mutex);
    state_->observations.erase(token.value);
}

void SimulatedNotificationCenter::post(Notification notification) {
    std::function<void(Job)> postToMain;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->mainQueue.post && state_->mainQueue.thread != std::this_thread::get_id()) {
            postToMain = state_->mainQueue.post;
        }
    }
    if (!postToMain) {
        deliver(state_, notification);
        return;
    }
    std::weak_ptr<State> weak = state_;
    postToMain([weak, notification = std::move(notification)] {
        if (auto state = weak.lock()) {
            deliver(state, notification);
        }
    });
}

void SimulatedNotificationCenter::setMainQueue(MainQueue queue) {
    std::lock_guard lock(state_->mutex);
    state_->mainQueue = std::move(queue);
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

void SimulatedNotificationCenter::deliver(const std::shared_ptr<State>& state,
                                          const Notification& notification) {
    std::vector<std::uint64_t> tokens;
    {
        std::lock_guard lock(state->mutex);
        for (const auto& [token, observation] : state->observations) {
            if (observation.name == notification.name) {
                tokens.push_back(token);
            }
        }
    }
    for (const std::uint64_t token : tokens) {
        // Looked up again for each block: an earlier block may have removed a later one.
        std::shared_ptr<const Block> block;
        {
            std::lock_guard lock(state->mutex);
            auto it = state->observations.find(token);
            if (it == state->observations.end()) {
                continue;
            }
            block = it->second.block;
        }
        if (*block) {
            (*block)(notification);
        }
    }
}

} // namespace pellacor::platform
