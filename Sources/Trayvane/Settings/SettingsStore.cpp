#include "Trayvane/Settings/SettingsStore.h"

#include "MenuBarCore/Support/Localized.h"
#include "MenuBarCore/Support/Log.h"
#include "MenuBarCore/Support/Uuid.h"

namespace pellacor::app {

SettingsStore::Loaded SettingsStore::load(const core::Store& store) {
    const core::Log log = core::Log::app();
    const auto result = store.load();
    switch (result.kind()) {
    case core::Store::LoadResult::Kind::missing:
        log.info("保存がまだありません。初めの中身で動きます");
        return {core::StoredState::initial(), std::nullopt};
    case core::Store::LoadResult::Kind::loaded: {
        core::StoredState state = *result.state();
        if (state.profiles.empty()) {
            log.error("保存にプロファイルがありません。初めの中身を足します");
            state.replaceActive(fallbackProfile(core::Section::hidden));
        }
        return {std::move(state), std::nullopt};
    }
    case core::Store::LoadResult::Kind::newerVersion:
        log.error("保存は新しいバージョン（{}）の形です。全部見せる中身で動きます（上書きしません）",
                  result.version());
        return {showEverything(), SaveBlock::newerVersion(result.version())};
    case core::Store::LoadResult::Kind::unreadable:
        log.error("保存が読めません。全部見せる中身で動きます（保存は上書きしません）");
        return {showEverything(), SaveBlock::unreadable()};
    }
    return {showEverything(), SaveBlock::unreadable()};
}

SettingsStore::SettingsStore(const core::Store& store) : SettingsStore(store, load(store)) {}

SettingsStore::SettingsStore(const core::Store& store, Loaded loaded)
    : store_(store), state_(std::move(loaded.state)), saveBlock_(loaded.block) {}

core::Profile SettingsStore::fallbackProfile(core::Section newItemSection) {
    return core::Profile(core::Uuid::random(), core::localized("ふだん"), {}, {}, newItemSection);
}

core::StoredState SettingsStore::showEverything() {
    core::Profile profile = fallbackProfile(core::Section::shown);
    const core::Uuid id = profile.id();
    return core::StoredState(core::StoredState::currentVersion, {std::move(profile)}, {}, id, std::nullopt);
}

core::Profile SettingsStore::activeProfile() const {
    if (auto active = state_.activeProfile()) {
        return *std::move(active);
    }
    return fallbackProfile(core::Section::hidden);
}

bool SettingsStore::updateActive(const core::Profile& profile) {
    for (auto& stored : state_.profiles) {
        if (stored.id() == profile.id()) {
            stored = profile;
            return persist();
        }
    }
    core::Log::app().error("保存に無いプロファイルの変更が届きました（足しません）");
    return false;
}

std::optional<std::string> SettingsStore::warning() const {
    if (saveBlock_) {
        switch (saveBlock_->kind()) {
        case SaveBlock::Kind::newerVersion:
            return core::localized("新しいバージョンのアプリが書いた保存なので、変えた振り分けは保存しません"
                                   "（ファイルはそのまま残しています）。");
        case SaveBlock::Kind::unreadable:
            return core::localized("保存のファイルが読めないので、変えた振り分けは保存しません"
                                   "（ファイルはそのまま残しています）。");
        }
    }
    if (lastSaveFailed_) {
        return core::localized(
            "振り分けを保存できませんでした。アプリを終了すると、変えた分は元に戻ります。");
    }
    return std::nullopt;
}

bool SettingsStore::persist() {
    if (saveBlock_) {
        return false;
    }
    const auto result = store_.save(state_);
    if (result.kind() == core::Store::SaveResult::Kind::failed) {
        core::Log::app().error("保存できませんでした（{}）", result.reason());
        lastSaveFailed_ = true;
        return false;
    }
    lastSaveFailed_ = false;
    return true;
}

} // namespace pellacor::app
