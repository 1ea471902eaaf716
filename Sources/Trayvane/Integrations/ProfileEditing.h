#pragma once

#include "MenuBarCore/Storage/StoredState.h"
#include "Trayvane/StatusItem/ProfileChoice.h"

#include <functional>
#include <string_view>
#include <vector>

namespace pellacor::app {

// The profile editor's two operations the outside commands use, behind an
// interface so the executor is tested without the settings models. The editor
// is not owned: `isAvailable` says whether it still exists.
class ProfileEditing {
public:
    using Body = std::function<bool(core::StoredState&)>;

    virtual ~ProfileEditing() = default;

    virtual bool isAvailable() const = 0;
    // One transaction over the document, as the editor runs it; answers the
    // body's answer (false when the editor is gone).
    virtual bool edit(bool byUser, std::string_view label, const Body& body) = 0;
    // The profiles as the editor offers them, in its order (empty when it is gone).
    virtual std::vector<ProfileChoice> choices() const = 0;
};

} // namespace pellacor::app
