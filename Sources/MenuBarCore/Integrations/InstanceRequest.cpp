#include "MenuBarCore/Integrations/InstanceRequest.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace pellacor::core {

using nlohmann::json;

namespace {

constexpr ExternalCommand::Case allActions[] = {
    ExternalCommand::Case::reveal, ExternalCommand::Case::switchProfile, ExternalCommand::Case::collapse,
    ExternalCommand::Case::pause,  ExternalCommand::Case::resume,
};

// Text from the outside may be any bytes; what is not UTF-8 becomes U+FFFD.
std::string dump(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<std::vector<Uuid>> uuids(const json& list) {
    if (!list.is_array()) {
        return std::nullopt;
    }
    std::vector<Uuid> ids;
    for (const auto& item : list) {
        if (!item.is_string()) {
            return std::nullopt;
        }
        const auto id = Uuid::parse(item.get_ref<const std::string&>());
        if (!id) {
            return std::nullopt;
        }
        ids.push_back(*id);
    }
    return ids;
}

std::string_view modeName(InstanceRequest::Profiles::Mode mode) {
    switch (mode) {
    case InstanceRequest::Profiles::Mode::suggested:
        return "suggested";
    case InstanceRequest::Profiles::Mode::matching:
        return "matching";
    case InstanceRequest::Profiles::Mode::identifiers:
        return "identifiers";
    }
    return {};
}

} // namespace

std::string_view InstanceRequest::actionName(ExternalCommand::Case action) {
    switch (action) {
    case ExternalCommand::Case::reveal:
        return "reveal";
    case ExternalCommand::Case::switchProfile:
        return "switchProfile";
    case ExternalCommand::Case::collapse:
        return "collapse";
    case ExternalCommand::Case::pause:
        return "pause";
    case ExternalCommand::Case::resume:
        return "resume";
    }
    return {};
}

std::optional<ExternalCommand::Case> InstanceRequest::action(std::string_view name) {
    for (const auto action : allActions) {
        if (actionName(action) == name) {
            return action;
        }
    }
    return std::nullopt;
}

InstanceRequest InstanceRequest::open(const std::vector<std::string>& urls) {
    Open open{.urls = {}, .received = urls.size()};
    // Room for the frame around the list, the count and the newline.
    constexpr std::size_t frame = 64;
    std::size_t used = frame;
    for (const auto& url : urls) {
        std::string kept = url.substr(0, ExternalCommand::urlLengthLimit + 1);
        const std::size_t size = dump(json(kept)).size() + 1;
        if (used + size > sizeLimit) {
            break;
        }
        used += size;
        open.urls.push_back(std::move(kept));
    }
    return InstanceRequest(std::move(open));
}

std::optional<InstanceRequest> InstanceRequest::profiles(Profiles query) {
    InstanceRequest request(std::move(query));
    // The text is measured as it goes out: bytes that are not UTF-8 grow into U+FFFD.
    if (request.encoded().size() + 1 > sizeLimit) {
        return std::nullopt;
    }
    return request;
}

InstanceRequest InstanceRequest::run(ExternalCommand::Case action, bool all, std::optional<Uuid> profile) {
    return InstanceRequest(Run{.action = action, .all = all, .profile = profile});
}

std::string InstanceRequest::encoded() const {
    json out = json::object();
    if (const auto* open = std::get_if<Open>(&value_)) {
        out["open"] = open->urls;
        out["received"] = open->received;
    } else if (const auto* run = std::get_if<Run>(&value_)) {
        out["run"] = actionName(run->action);
        if (run->action == ExternalCommand::Case::reveal) {
            out["all"] = run->all;
        }
        if (run->profile) {
            out["profile"] = run->profile->uuidString();
        }
    } else if (const auto* query = std::get_if<Profiles>(&value_)) {
        out["profiles"] = modeName(query->mode);
        if (query->mode == Profiles::Mode::matching) {
            out["text"] = query->text;
        }
        if (query->mode == Profiles::Mode::identifiers) {
            json ids = json::array();
            for (const auto& id : query->ids) {
                ids.push_back(id.uuidString());
            }
            out["ids"] = std::move(ids);
        }
    }
    return dump(out);
}

std::optional<InstanceRequest> InstanceRequest::decode(std::string_view line) {
    if (line.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const json in = json::parse(line, nullptr, false);
    if (!in.is_object() || in.size() == 0) {
        return std::nullopt;
    }
    if (const auto urls = in.find("open"); urls != in.end()) {
        const auto received = in.find("received");
        if (!urls->is_array() || received == in.end() || !received->is_number_unsigned()) {
            return std::nullopt;
        }
        Open open;
        for (const auto& url : *urls) {
            if (!url.is_string()) {
                return std::nullopt;
            }
            open.urls.push_back(url.get<std::string>());
        }
        open.received = std::max(received->get<std::size_t>(), open.urls.size());
        return InstanceRequest(std::move(open));
    }
    if (const auto name = in.find("run"); name != in.end()) {
        const auto action =
            name->is_string() ? InstanceRequest::action(name->get<std::string>()) : std::nullopt;
        if (!action) {
            return std::nullopt;
        }
        Run run;
        run.action = *action;
        // Only a reveal has the flag; on another action it would not come back.
        if (const auto all = in.find("all"); all != in.end() && *action == ExternalCommand::Case::reveal) {
            if (!all->is_boolean()) {
                return std::nullopt;
            }
            run.all = all->get<bool>();
        }
        if (*action == ExternalCommand::Case::switchProfile) {
            const auto profile = in.find("profile");
            if (profile == in.end() || !profile->is_string()) {
                return std::nullopt;
            }
            run.profile = Uuid::parse(profile->get<std::string>());
            if (!run.profile) {
                return std::nullopt;
            }
        }
        return InstanceRequest(run);
    }
    if (const auto mode = in.find("profiles"); mode != in.end() && mode->is_string()) {
        Profiles query;
        const auto& word = mode->get_ref<const std::string&>();
        if (word == "suggested") {
            query.mode = Profiles::Mode::suggested;
        } else if (word == "matching") {
            const auto text = in.find("text");
            if (text == in.end() || !text->is_string()) {
                return std::nullopt;
            }
            query.mode = Profiles::Mode::matching;
            query.text = text->get<std::string>();
        } else if (word == "identifiers") {
            const auto list = in.find("ids");
            auto ids = list == in.end() ? std::nullopt : uuids(*list);
            if (!ids) {
                return std::nullopt;
            }
            query.mode = Profiles::Mode::identifiers;
            query.ids = std::move(*ids);
        } else {
            return std::nullopt;
        }
        return InstanceRequest(std::move(query));
    }
    return std::nullopt;
}

} // namespace pellacor::core
