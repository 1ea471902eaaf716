#include "MenuBarCore/Model/Profile.h"

#include "MenuBarCore/Model/AppKeyMapCoding.h"
#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Text/Text.h"

namespace pellacor::core {

Profile::Profile(Uuid id, std::string name, std::map<AppKey, Section> sections, std::vector<AppKey> order,
                 Section newItemSection)
    : name(std::move(name)), sections(std::move(sections)), order(std::move(order)),
      newItemSection(newItemSection), id_(id) {}

const std::set<std::string, std::less<>>& Profile::initialNames() {
    static const std::set<std::string, std::less<>> names{"ふだん", "Default"};
    return names;
}

Section Profile::section(const AppKey& app) const {
    auto entry = sections.find(app);
    return entry != sections.end() ? entry->second : newItemSection;
}

bool Profile::assign(const AppKey& app, Section section) {
    if (app.isApple()) {
        return false;
    }
    auto [entry, inserted] = sections.try_emplace(app, section);
    if (inserted) {
        return true;
    }
    if (entry->second == section) {
        return false;
    }
    entry->second = section;
    return true;
}

bool Profile::adopt(const std::vector<AppKey>& apps, std::string_view selfBundleID) {
    bool changed = false;
    for (const auto& app : apps) {
        if (app.isApple() || app.bundleID() == selfBundleID) {
            continue;
        }
        // An entry already there (also one added earlier in this walk) stays as it is.
        changed |= sections.try_emplace(app, newItemSection).second;
    }
    return changed;
}

std::string Profile::displayName(const std::vector<Profile>& among) const {
    return displayName(among, localized("ふだん"));
}

std::string Profile::displayName(const std::vector<Profile>& among, std::string_view defaultName) const {
    const auto& initial = initialNames();
    if (!initial.contains(name)) {
        return name;
    }
    for (const auto& other : among) {
        if (other.id() == id_) {
            continue;
        }
        if (initial.contains(other.name) || Text::sameIgnoringCaseAndWidth(other.name, defaultName)) {
            return name;
        }
    }
    return std::string(defaultName);
}

Json JsonCoding<Profile>::encode(const Profile& profile) {
    return Json{
        {"id", encodeJson(profile.id())},
        {"name", profile.name},
        {"sections", encodeJson(profile.sections)},
        {"order", encodeJson(profile.order)},
        {"newItemSection", encodeJson(profile.newItemSection)},
    };
}

DecodeResult<Profile> JsonCoding<Profile>::decode(const Json& json, const CodingPath& path) {
    if (auto error = expectObject(json, path)) {
        return *error;
    }
    auto id = decodeMember<Uuid>(json, "id", path);
    if (!id) {
        return id.error();
    }
    auto name = decodeMember<std::string>(json, "name", path);
    if (!name) {
        return name.error();
    }
    auto sections = decodeMember<std::map<AppKey, Section>>(json, "sections", path);
    if (!sections) {
        return sections.error();
    }
    auto order = decodeMember<std::vector<AppKey>>(json, "order", path);
    if (!order) {
        return order.error();
    }
    auto newItemSection = decodeMember<Section>(json, "newItemSection", path);
    if (!newItemSection) {
        return newItemSection.error();
    }
    return Profile(*id, std::move(name).value(), std::move(sections).value(), std::move(order).value(),
                   *newItemSection);
}

} // namespace pellacor::core
