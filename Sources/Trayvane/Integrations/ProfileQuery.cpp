#include "Trayvane/Integrations/ProfileQuery.h"

#include "MenuBarCore/Text/Text.h"

#include <algorithm>

namespace pellacor::app {

using core::ProfileEntity;
using core::Text;

namespace {

std::string folded(std::string_view text) {
    return Text::caseFolded(Text::widthFolded(text));
}

} // namespace

concurrency::Task<std::optional<std::vector<ProfileChoice>>> ProfileQuery::choices(IntentGate::Clock clock) {
    const auto control = co_await IntentGate::control(std::move(clock));
    if (!control) {
        co_return std::nullopt;
    }
    const auto& editor = control->editor();
    co_return editor && editor->isAvailable() ? editor->choices() : std::vector<ProfileChoice>{};
}

concurrency::Task<ProfileQuery::Answer> ProfileQuery::entities(std::vector<core::Uuid> ids,
                                                               IntentGate::Clock clock) {
    const auto list = co_await choices(std::move(clock));
    if (!list) {
        co_return std::nullopt;
    }
    co_return withIDs(*list, ids);
}

concurrency::Task<ProfileQuery::Answer> ProfileQuery::entitiesMatching(std::string text,
                                                                       IntentGate::Clock clock) {
    const auto list = co_await choices(std::move(clock));
    if (!list) {
        co_return std::nullopt;
    }
    co_return matching(*list, text);
}

concurrency::Task<ProfileQuery::Answer> ProfileQuery::suggestedEntities(IntentGate::Clock clock) {
    const auto list = co_await choices(std::move(clock));
    if (!list) {
        co_return std::nullopt;
    }
    co_return all(*list);
}

std::vector<ProfileEntity> ProfileQuery::all(const std::vector<ProfileChoice>& choices) {
    std::vector<ProfileEntity> entities;
    entities.reserve(choices.size());
    for (const auto& choice : choices) {
        entities.push_back({choice.id, choice.name});
    }
    return entities;
}

std::vector<ProfileEntity> ProfileQuery::withIDs(const std::vector<ProfileChoice>& choices,
                                                 const std::vector<core::Uuid>& ids) {
    std::vector<ProfileEntity> entities;
    for (const auto& choice : choices) {
        if (std::find(ids.begin(), ids.end(), choice.id) != ids.end()) {
            entities.push_back({choice.id, choice.name});
        }
    }
    return entities;
}

std::vector<ProfileEntity> ProfileQuery::matching(const std::vector<ProfileChoice>& choices,
                                                  std::string_view text) {
    const std::string wanted = Text::trimmed(text);
    if (wanted.empty()) {
        return all(choices);
    }
    const std::string key = folded(wanted);
    std::vector<ProfileEntity> entities;
    for (const auto& choice : choices) {
        if (folded(choice.name).find(key) != std::string::npos) {
            entities.push_back({choice.id, choice.name});
        }
    }
    return entities;
}

} // namespace pellacor::app
