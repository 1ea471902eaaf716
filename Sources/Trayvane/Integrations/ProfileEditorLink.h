#pragma once

#include "Trayvane/Integrations/ProfileEditing.h"
#include "Trayvane/Settings/ProfileEditor.h"

#include <memory>

namespace pellacor::app {

// The real profile editor behind `ProfileEditing`, held weakly.
class ProfileEditorLink final : public ProfileEditing {
public:
    explicit ProfileEditorLink(std::weak_ptr<ProfileEditor> editor) : editor_(std::move(editor)) {}

    bool isAvailable() const override { return !editor_.expired(); }
    bool edit(bool byUser, std::string_view label, const Body& body) override;

private:
    std::weak_ptr<ProfileEditor> editor_;
};

} // namespace pellacor::app
