#include "Trayvane/Integrations/ProfileEditorLink.h"

namespace pellacor::app {

bool ProfileEditorLink::edit(bool byUser, std::string_view label, const Body& body) {
    const auto editor = editor_.lock();
    return editor && editor->edit(byUser, label, body);
}

} // namespace pellacor::app
