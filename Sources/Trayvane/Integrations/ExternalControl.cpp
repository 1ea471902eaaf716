#include "Trayvane/Integrations/ExternalControl.h"

#include "MenuBarCore/Support/Log.h"

#include <algorithm>

namespace pellacor::app {

using coordinator::PauseReason;
using core::ExternalCommand;

namespace {

std::shared_ptr<ExternalControl>& sharedInstance() {
    static std::shared_ptr<ExternalControl> instance;
    return instance;
}

// A pause the user has to end on screen, where the reason is explained.
bool needsUser(const std::optional<PauseReason>& reason) {
    if (!reason) {
        return false;
    }
    switch (reason->kind()) {
    case PauseReason::Kind::optionKeyAtLaunch:
    case PauseReason::Kind::osVersionChanged:
    case PauseReason::Kind::controlRemoved:
        return true;
    case PauseReason::Kind::healthProblems:
    case PauseReason::Kind::manual:
        return false;
    }
    return false;
}

} // namespace

std::string_view ExternalControl::logWord(Source source) {
    switch (source) {
    case Source::url:
        return "URL";
    case Source::shortcuts:
        return "ショートカット";
    }
    return {};
}

ExternalControl::ExternalControl(std::shared_ptr<CommandTarget> coordinator,
                                 std::shared_ptr<ProfileEditing> editor, std::shared_ptr<SettingsStore> store)
    : coordinator_(std::move(coordinator)), editor_(std::move(editor)), store_(std::move(store)) {}

std::shared_ptr<ExternalControl> ExternalControl::shared() {
    return sharedInstance();
}

void ExternalControl::publish(std::shared_ptr<ExternalControl> control) {
    sharedInstance() = std::move(control);
}

void ExternalControl::clearShared() {
    sharedInstance().reset();
}

ExternalControl::Outcome ExternalControl::open(std::string_view url) {
    const auto parsed = ExternalCommand::parse(url);
    if (const auto rejection = parsed.rejection()) {
        core::Log::app().notice("外から（URL）の命令を受けませんでした（{}）",
                                ExternalCommand::rawValue(*rejection));
        return Outcome::rejected;
    }
    return run(*parsed.command(), Source::url);
}

bool ExternalControl::coordinatorUsable() const {
    return coordinator_ && coordinator_->isAvailable() && !coordinator_->isShutDown();
}

ExternalControl::Outcome ExternalControl::run(const ExternalCommand& command, Source source) {
    const auto kind = command.kind();
    if (command.type() == ExternalCommand::Case::switchProfile) {
        // The name is looked up before anything else is asked, so a name no
        // profile has is reported as such even while shutting down.
        const auto id = store_ ? store_->state().profileID(command.name()) : std::nullopt;
        if (!id) {
            return finish(kind, source, Outcome::noProfile);
        }
        return switchProfile(*id, source);
    }
    if (!coordinatorUsable()) {
        return finish(kind, source, Outcome::unavailable);
    }
    switch (command.type()) {
    case ExternalCommand::Case::reveal:
        // A reveal the state does not allow (paused, say) is the coordinator's
        // to ignore.
        coordinator_->reveal(command.all());
        break;
    case ExternalCommand::Case::collapse:
        coordinator_->collapse();
        break;
    case ExternalCommand::Case::pause:
        coordinator_->pause();
        break;
    case ExternalCommand::Case::resume:
        if (needsUser(coordinator_->pauseReason())) {
            return finish(kind, source, Outcome::resumeNeedsUser);
        }
        if (coordinator_->baseState() == core::MenuBarState::paused) {
            coordinator_->resume();
        }
        break;
    case ExternalCommand::Case::switchProfile:
        break;
    }
    return finish(kind, source, Outcome::done);
}

ExternalControl::Outcome ExternalControl::switchProfile(const core::Uuid& profileID, Source source) {
    const auto kind = ExternalCommand::switchProfile({}).kind();
    if (!editor_ || !editor_->isAvailable() || !coordinatorUsable() || !store_) {
        return finish(kind, source, Outcome::unavailable);
    }
    const auto& profiles = store_->state().profiles;
    const bool known = std::any_of(profiles.begin(), profiles.end(),
                                   [&](const core::Profile& p) { return p.id() == profileID; });
    if (!known) {
        return finish(kind, source, Outcome::noProfile);
    }
    // As the user's own choice: a rule in force stands overridden. Already
    // active is no change and still done.
    editor_->edit(true, "外からの切り替え",
                  [profileID](core::StoredState& state) { return state.switchProfile(profileID); });
    return finish(kind, source, Outcome::done);
}

ExternalControl::Outcome ExternalControl::finish(std::string_view kind, Source source,
                                                 Outcome outcome) const {
    const auto log = core::Log::app();
    const auto word = logWord(source);
    switch (outcome) {
    case Outcome::done:
        log.notice("外から（{}）：{}", word, kind);
        break;
    case Outcome::noProfile:
        log.notice("外から（{}）：{}。合うプロファイルがありません（{} 個の中に無い）", word, kind,
                   store_ ? store_->state().profiles.size() : 0);
        break;
    case Outcome::unavailable:
        log.notice("外から（{}）：{}。止める途中なので何もしません", word, kind);
        break;
    case Outcome::resumeNeedsUser:
        log.notice("外から（{}）：{}。画面で確かめるまで止めておく止まり方なので、再開しません", word, kind);
        break;
    case Outcome::rejected:
        break;
    }
    return outcome;
}

} // namespace pellacor::app
