#include "Trayvane/Settings/ProfileEditor.h"

#include "Concurrency/TaskHandle.h"
#include "MenuBarCore/Support/Log.h"

namespace pellacor::app {

ProfileEditor::ProfileEditor(std::shared_ptr<SettingsStore> store, std::shared_ptr<ProfilesModel> profiles,
                             std::weak_ptr<SectionsModel> sections,
                             std::weak_ptr<coordinator::Coordinator> coordinator,
                             concurrency::MainExecutor& executor)
    : store_(std::move(store)), profiles_(std::move(profiles)), sections_(std::move(sections)),
      coordinator_(std::move(coordinator)), executor_(executor) {}

std::vector<ProfileChoice> ProfileEditor::choices() const {
    const auto& profiles = store_->state().profiles;
    if (profiles.empty()) {
        return {};
    }
    const core::Uuid activeID = store_->activeProfile().id();
    std::vector<ProfileChoice> choices;
    choices.reserve(profiles.size());
    for (const auto& profile : profiles) {
        choices.push_back(
            ProfileChoice{profile.id(), profile.displayName(profiles), profile.id() == activeID});
    }
    return choices;
}

bool ProfileEditor::edit(bool byUser, std::string_view label, const Body& body) {
    const core::Profile before = store_->activeProfile();

    core::StoredState copy = store_->state();
    const std::optional<core::Uuid> activeID = copy.activeProfileIDResolved();
    const bool changed = body(copy);
    if (!changed) {
        return false;
    }
    if (byUser && copy.activeProfileIDResolved() != activeID) {
        copy.noteUserSwitch(); // a rule in force now stands overridden by the user
    }
    store_->state_ = std::move(copy);
    store_->persist(); // a failure shows as the store's warning

    const core::Profile after = store_->activeProfile();
    core::Log::app().info("プロファイルの{}：{} 個", label, store_->state().profiles.size());

    if (auto next = choices(); next != profiles_->choices()) {
        profiles_->setChoices(std::move(next));
    }
    if (auto sections = sections_.lock()) {
        sections->setSaveWarning(store_->warning());
    }
    if (after != before) {
        if (auto sections = sections_.lock(); sections && sections->profile() != after) {
            sections->setProfile(after);
            sections->rebuild();
        }
        if (auto coordinator = coordinator_.lock()) {
            coordinator->setProfile(after);
        }
        if (onActiveChange) {
            onActiveChange();
        }
        if (after.id() != before.id()) {
            const bool reordered = !after.order.empty() && after.order != before.order;
            concurrency::spawn(executor_, applyOrder(coordinator_, reordered), "profile order");
        }
    }
    if (onEdited) {
        onEdited();
    }
    return true;
}

concurrency::Task<void> ProfileEditor::applyOrder(std::weak_ptr<coordinator::Coordinator> weak,
                                                  bool reordered) {
    auto coordinator = weak.lock();
    if (!coordinator) {
        co_return;
    }
    // The coordinator's own task holds it weakly, so this one lets it go.
    concurrency::Task<coordinator::OrderOutcome> order = coordinator->applyOrder(reordered);
    coordinator.reset();
    [[maybe_unused]] auto outcome = co_await std::move(order);
}

} // namespace pellacor::app
