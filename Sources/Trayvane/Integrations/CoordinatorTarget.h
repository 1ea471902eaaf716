#pragma once

#include "Trayvane/Coordinator/Coordinator.h"
#include "Trayvane/Integrations/CommandTarget.h"

#include <memory>

namespace pellacor::app {

// The real coordinator as the outside commands' target, held weakly: once the
// coordinator is gone the target is unavailable.
class CoordinatorTarget final : public CommandTarget {
public:
    explicit CoordinatorTarget(std::weak_ptr<coordinator::Coordinator> coordinator)
        : coordinator_(std::move(coordinator)) {}

    bool isAvailable() const override { return !coordinator_.expired(); }
    bool isShutDown() const override;
    core::MenuBarState baseState() const override;
    std::optional<coordinator::PauseReason> pauseReason() const override;

    void reveal(bool all) override;
    void collapse() override;
    void pause() override;
    void resume() override;

private:
    std::weak_ptr<coordinator::Coordinator> coordinator_;
};

} // namespace pellacor::app
