#include "MenuBarCore/Integrations/InstanceReply.h"

#include <nlohmann/json.hpp>

namespace pellacor::core {

using nlohmann::json;

namespace {

// Names from the outside may be any bytes; what is not UTF-8 becomes U+FFFD.
std::string jsonLine(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace

std::string InstanceReply::encoded() const {
    json out = json::object();
    out["ok"] = isDone();
    if (problem) {
        out["problem"] = IntentProblem::rawValue(*problem);
    }
    if (refused) {
        out["refused"] = true;
    }
    if (busy) {
        out["busy"] = true;
    }
    if (activeProfile) {
        out["active"] = activeProfile->uuidString();
    }
    if (!profiles) {
        return jsonLine(out);
    }
    // Everything but the list, the list's brackets and the newline.
    std::size_t used = jsonLine(out).size() + std::string_view(R"(,"profiles":[])").size() + 1;
    json list = json::array();
    for (const auto& profile : *profiles) {
        json entry = {{"id", profile.id.uuidString()}, {"name", profile.name}};
        const std::size_t size = jsonLine(entry).size() + (list.empty() ? 0 : 1);
        if (used + size > sizeLimit) {
            break;
        }
        used += size;
        list.push_back(std::move(entry));
    }
    out["profiles"] = std::move(list);
    return jsonLine(out);
}

std::optional<InstanceReply> InstanceReply::decode(std::string_view line) {
    if (line.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
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
    if (const auto busy = in.find("busy"); busy != in.end()) {
        if (!busy->is_boolean()) {
            return std::nullopt;
        }
        reply.busy = busy->get<bool>();
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
