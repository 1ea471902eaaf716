#include "Platform/Simulated/SimulatedSystemSettings.h"

#include <string_view>
#include <vector>

namespace pellacor::platform {

std::optional<SimulatedSystemSettings::Page> SimulatedSystemSettings::page(const std::string& url) {
    const std::string_view prefix(scheme);
    if (!url.starts_with(prefix)) {
        return std::nullopt;
    }
    const std::string rest = url.substr(prefix.size());
    const auto question = rest.find('?');
    Page page{rest.substr(0, question),
              question == std::string::npos ? std::string() : rest.substr(question + 1)};
    if (page.pane.empty()) {
        return std::nullopt;
    }
    return page;
}

void SimulatedSystemSettings::open(Page page) {
    {
        std::lock_guard lock(mutex_);
        page_ = std::move(page);
        ++openings_;
    }
    notify();
}

std::optional<SimulatedSystemSettings::Page> SimulatedSystemSettings::openPage() const {
    std::lock_guard lock(mutex_);
    return page_;
}

std::uint64_t SimulatedSystemSettings::openings() const {
    std::lock_guard lock(mutex_);
    return openings_;
}

SimulatedSystemSettings::ObserverId SimulatedSystemSettings::addObserver(std::function<void()> observer) {
    std::lock_guard lock(mutex_);
    const ObserverId id = nextId_++;
    observers_.emplace(id, std::move(observer));
    return id;
}

void SimulatedSystemSettings::removeObserver(ObserverId id) {
    std::lock_guard lock(mutex_);
    observers_.erase(id);
}

void SimulatedSystemSettings::notify() {
    std::vector<std::function<void()>> observers;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, observer] : observers_) {
            observers.push_back(observer);
        }
    }
    for (const auto& observer : observers) {
        if (observer) {
            observer();
        }
    }
}

} // namespace pellacor::platform
