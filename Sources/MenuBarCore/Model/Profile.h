#pragma once

#include "MenuBarCore/Model/AppKey.h"
#include "MenuBarCore/Model/Section.h"
#include "MenuBarCore/Support/JsonCodingFwd.h"
#include "MenuBarCore/Support/Uuid.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellacor::core {

// A named layout: the section of every known application, the wanted order of
// applications on the bar, and the section of applications seen for the first time.
class Profile {
public:
    Profile(Uuid id, std::string name, std::map<AppKey, Section> sections, std::vector<AppKey> order,
            Section newItemSection);

    // The names under which the untouched first profile can be stored: "ふだん" and "Default".
    static const std::set<std::string, std::less<>>& initialNames();

    const Uuid& id() const { return id_; }

    // The name as stored; what is shown comes from `displayName`.
    std::string name;
    std::map<AppKey, Section> sections;
    // Left to right; may repeat or miss applications of `sections`.
    std::vector<AppKey> order;
    Section newItemSection;

    // The application's entry, else `newItemSection` (no exception for Apple applications).
    Section section(const AppKey& app) const;

    // Puts the application into the section. Refused (false) for an Apple
    // application; false when it is there already. `order` is never touched.
    bool assign(const AppKey& app, Section section);

    // Gives every application without an entry (Apple applications and the program
    // itself excepted) the current `newItemSection`. True when an entry was added.
    bool adopt(const std::vector<AppKey>& apps, std::string_view selfBundleID);

    // The name to show, given every profile of the document (this one included): a
    // stored initial name shows as the localized default name, unless another
    // profile would show the same; any other name shows as stored.
    std::string displayName(const std::vector<Profile>& among) const;
    // The same with the default name's translation given.
    std::string displayName(const std::vector<Profile>& among, std::string_view defaultName) const;

    bool operator==(const Profile&) const = default;

private:
    Uuid id_;
};

// The five members "id", "name", "sections", "order", "newItemSection", all required.
template <> struct JsonCoding<Profile> {
    static Json encode(const Profile& profile);
    static DecodeResult<Profile> decode(const Json& json, const CodingPath& path);
};

} // namespace pellacor::core
