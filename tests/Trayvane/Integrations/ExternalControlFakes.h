#pragma once

#include "Trayvane/Integrations/CommandTarget.h"
#include "Trayvane/Integrations/ProfileEditing.h"
#include "Trayvane/Settings/SettingsStore.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellacor::testing {

using coordinator::PauseReason;
using core::MenuBarState;
using core::StoredState;

// A coordinator that records what it is asked and follows the state rules the
// commands rely on: pausing keeps a reason already held, a resume starts.
class FakeTarget final : public app::CommandTarget {
public:
    bool available = true;
    bool shutDown = false;
    MenuBarState base = MenuBarState::collapsed;
    std::optional<PauseReason> reason;
    std::vector<std::string> calls;

    bool isAvailable() const override { return available; }
    bool isShutDown() const override { return shutDown; }
    MenuBarState baseState() const override { return base; }
    std::optional<PauseReason> pauseReason() const override { return reason; }
    void reveal(bool all) override { calls.push_back(all ? "reveal(all)" : "reveal"); }
    void collapse() override { calls.emplace_back("collapse"); }
    void pause() override {
        calls.emplace_back("pause");
        if (base != MenuBarState::paused) {
            reason = PauseReason::manual();
        }
        base = MenuBarState::paused;
    }
    void resume() override {
        calls.emplace_back("resume");
        base = MenuBarState::starting;
        reason.reset();
    }
};

// An editor that runs the body on a copy of the store's document and records
// how it was asked.
class FakeEditor final : public app::ProfileEditing {
public:
    explicit FakeEditor(std::shared_ptr<app::SettingsStore> store) : store_(std::move(store)) {}

    bool available = true;
    std::vector<std::string> calls;
    std::optional<StoredState> lastEdited;

    // What `choices` answers.
    std::vector<app::ProfileChoice> offered;

    bool isAvailable() const override { return available; }
    std::vector<app::ProfileChoice> choices() const override { return offered; }
    bool edit(bool byUser, std::string_view label, const Body& body) override {
        auto copy = store_->state();
        const bool changed = body(copy);
        calls.push_back(std::string(label) + (byUser ? " byUser " : " auto ") +
                        (changed ? "changed" : "same"));
        lastEdited = copy;
        return changed;
    }

private:
    std::shared_ptr<app::SettingsStore> store_;
};

} // namespace pellacor::testing
