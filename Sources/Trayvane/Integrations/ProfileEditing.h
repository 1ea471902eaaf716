#pragma once

#include "MenuBarCore/Storage/StoredState.h"

#include <functional>
#include <string_view>

namespace pellacor::app {

// The profile editor's one operation the outside commands use, behind an
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
};

} // namespace pellacor::app
