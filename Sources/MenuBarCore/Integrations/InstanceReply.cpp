#include "MenuBarCore/Integrations/InstanceReply.h"

#include <nlohmann/json.hpp>

namespace pellacor::core {

using nlohmann::json;

std::string InstanceReply::encoded() const {
    json out = json::object();
    out["ok"] = isDone();
    if (problem) {
        out["problem"] = IntentProblem::rawValue(*problem);
    }
    if (refused) {
        out["refused"] = true;
    }
    if (profiles) {
        json list = json::array();
        for (const auto& profile : *profiles) {
            list.push_back({{"id", profile.id.uuidString()}, {"name", profile.name}});
        }
        out["profiles"] = std::move(list);
    }
    if (activeProfile) {
        out["active"] = activeProfile->uuidString();
    }
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<InstanceReply> InstanceReply::decode(std::string_view line) {
    const json in = json::parse(line, nullptr, false);
    if (!in.is_object() || !in.contains("ok") || !in["ok"].is_boolean()) {
        return std::nullopt;
    }
    InstanceReply reply;
    if (const auto problem = in.find("problem"); problem != in.end()) {
        reply.problem =
            problem->is_string() ? IntentProblem::fromRawValue(problem->get<std::string>()) : std::nullopt;
        if (!reply.problem) {
            return std::nullopt;
        }
    }
    if (const auto refused = in.find("refused"); refused != in.end()) {
        if (!refused->is_boolean()) {
            return std::nullopt;
        }
        reply.refused = refused->get<bool>();
    }
    if (const auto list = in.find("profiles"); list != in.end()) {
        if (!list->is_array()) {
            return std::nullopt;
        }
        std::vector<ProfileEntity> profiles;
        for (const auto& item : *list) {
            if (!item.is_object() || !item.contains("id") || !item["id"].is_string() ||
                !item.contains("name") || !item["name"].is_string()) {
                return std::nullopt;
            }
            const auto id = Uuid::parse(item["id"].get<std::string>());
            if (!id) {
                return std::nullopt;
            }
            profiles.push_back({*id, item["name"].get<std::string>()});
        }
        reply.profiles = std::move(profiles);
    }
    if (const auto active = in.find("active"); active != in.end()) {
        reply.activeProfile = active->is_string() ? Uuid::parse(active->get<std::string>()) : std::nullopt;
        if (!reply.activeProfile) {
            return std::nullopt;
        }
    }
    if (in["ok"].get<bool>() != reply.isDone()) {
        return std::nullopt;
    }
    return reply;
}

} // namespace pellacor::core
