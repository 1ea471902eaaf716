#pragma once

#include "Trayvane/App/ProgramEnvironment.h"

#include <functional>
#include <memory>
#include <string>

namespace pellacor::app {

class ProfileEditor;
class RuleRunner;
class RulesModel;
class SettingsStore;
struct SharedServices;

// The rules: the runner that applies them as applications come and go (over
// a watcher of its own, so the coordinator's start and shutdown never touch
// it), and the rules page's edits and lists. Every edit goes through the
// profile editor as the user's and, when it changed the document, applies
// the rules again at once, so the page's change shows in the bar. `start`
// comes after the coordinator's, so that a profile the rules choose reaches
// an engine that runs; `takeDown` stops the runner, so that no rule switches
// a profile while the engine goes down. Main thread.
class RulesComponent : public std::enable_shared_from_this<RulesComponent> {
public:
    static std::shared_ptr<RulesComponent> create(const ProgramEnvironment& environment,
                                                  const SharedServices& services,
                                                  std::shared_ptr<SettingsStore> store,
                                                  const std::shared_ptr<ProfileEditor>& editor,
                                                  std::shared_ptr<RulesModel> model);
    RulesComponent(const RulesComponent&) = delete;
    RulesComponent& operator=(const RulesComponent&) = delete;

    // Starts the runner's watcher and applies the rules once.
    void start();
    // The rules page's rows and profiles anew from the state document.
    void refresh();
    void takeDown();

    const std::shared_ptr<RuleRunner>& runner() const { return runner_; }

private:
    RulesComponent(const ProgramEnvironment& environment, const SharedServices& services,
                   std::shared_ptr<SettingsStore> store, const std::shared_ptr<ProfileEditor>& editor,
                   std::shared_ptr<RulesModel> model);
    void wireEdits();
    void wireChoices(const ProgramEnvironment& environment, const std::string& selfBundleID);

    std::shared_ptr<SettingsStore> store_;
    std::weak_ptr<ProfileEditor> editor_;
    std::shared_ptr<RulesModel> model_;
    std::function<std::string(const std::string&)> nameOf_;
    std::shared_ptr<RuleRunner> runner_;
};

} // namespace pellacor::app
