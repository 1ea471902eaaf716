#include "Support/FakePressAccessibility.h"

#include <algorithm>

namespace pellacor::testing {

using system::PressCall;
using system::SystemItemLookup;
using system::WindowNumbers;

namespace {

FakePressAccessibility::Call make(FakePressAccessibility::Call::Kind kind, std::int32_t pid = 0,
                                  int index = 0, std::string text = {}, float timeout = 0) {
    FakePressAccessibility::Call call;
    call.kind = kind;
    call.pid = pid;
    call.index = index;
    call.text = std::move(text);
    call.timeout = timeout;
    return call;
}

} // namespace

FakePressAccessibility::Call FakePressAccessibility::record(Call call) {
    call.at = now_();
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    return call;
}

bool FakePressAccessibility::isTrusted() {
    record(make(Call::Kind::isTrusted));
    std::lock_guard lock(mutex_);
    return trusted_;
}

std::vector<std::int32_t> FakePressAccessibility::pids(const std::string& bundleID) {
    record(make(Call::Kind::pids, 0, 0, bundleID));
    std::lock_guard lock(mutex_);
    auto it = processes_.find(bundleID);
    return it != processes_.end() ? it->second : std::vector<std::int32_t>{};
}

std::optional<WindowNumbers> FakePressAccessibility::windows(std::int32_t pid) {
    const Call call = record(make(Call::Kind::windows, pid));
    std::function<void(std::int32_t)> hook;
    {
        std::lock_guard lock(mutex_);
        hook = windowsHook_;
    }
    if (hook) {
        hook(pid);
    }
    std::lock_guard lock(mutex_);
    if (!windowListReadable_) {
        return std::nullopt;
    }
    WindowNumbers numbers;
    for (const auto& [number, window] : windows_) {
        if (window.pid == pid && window.from <= call.at && (!window.until || call.at < *window.until)) {
            numbers.insert(number);
        }
    }
    return numbers;
}

std::optional<bool> FakePressAccessibility::isPlaced(std::int32_t pid, int index) {
    record(make(Call::Kind::isPlaced, pid, index));
    std::function<std::optional<bool>(std::int32_t, int)> placement;
    {
        std::lock_guard lock(mutex_);
        placement = placement_;
    }
    return placement ? placement(pid, index) : std::optional<bool>(true);
}

PressCall FakePressAccessibility::pressed(Call call) {
    call = record(std::move(call));
    PressHook hook;
    {
        std::lock_guard lock(mutex_);
        hook = pressHook_;
    }
    return hook ? hook(call) : PressCall::sent(0);
}

PressCall FakePressAccessibility::press(std::int32_t pid, const std::string& identifier, float timeout) {
    return pressed(make(Call::Kind::pressIdentifier, pid, 0, identifier, timeout));
}

PressCall FakePressAccessibility::press(std::int32_t pid, int index, float timeout) {
    return pressed(make(Call::Kind::pressIndex, pid, index, std::string(), timeout));
}

SystemItemLookup FakePressAccessibility::lookup(std::int32_t pid, const std::string& identifier) {
    record(make(Call::Kind::lookup, pid, 0, identifier));
    std::function<SystemItemLookup(std::int32_t, const std::string&)> lookup;
    {
        std::lock_guard lock(mutex_);
        lookup = lookup_;
    }
    return lookup ? lookup(pid, identifier) : SystemItemLookup::unreadable();
}

void FakePressAccessibility::setTrusted(bool trusted) {
    std::lock_guard lock(mutex_);
    trusted_ = trusted;
}

void FakePressAccessibility::setProcesses(const std::string& bundleID, std::vector<std::int32_t> pids) {
    std::lock_guard lock(mutex_);
    processes_[bundleID] = std::move(pids);
}

void FakePressAccessibility::addWindow(std::int32_t pid, std::uint32_t number, concurrency::Instant from,
                                       std::optional<concurrency::Instant> until) {
    std::lock_guard lock(mutex_);
    windows_[number] = Window{pid, from, until};
}

void FakePressAccessibility::closeWindow(std::uint32_t number, std::optional<concurrency::Instant> at) {
    const auto when = at ? *at : now_();
    std::lock_guard lock(mutex_);
    if (auto it = windows_.find(number); it != windows_.end()) {
        it->second.until = when;
    }
}

void FakePressAccessibility::setWindowListReadable(bool readable) {
    std::lock_guard lock(mutex_);
    windowListReadable_ = readable;
}

void FakePressAccessibility::setPlacement(std::function<std::optional<bool>(std::int32_t, int)> placement) {
    std::lock_guard lock(mutex_);
    placement_ = std::move(placement);
}

void FakePressAccessibility::setPressHook(PressHook hook) {
    std::lock_guard lock(mutex_);
    pressHook_ = std::move(hook);
}

void FakePressAccessibility::setWindowsHook(std::function<void(std::int32_t)> hook) {
    std::lock_guard lock(mutex_);
    windowsHook_ = std::move(hook);
}

void FakePressAccessibility::setLookup(
    std::function<SystemItemLookup(std::int32_t, const std::string&)> lookup) {
    std::lock_guard lock(mutex_);
    lookup_ = std::move(lookup);
}

std::vector<FakePressAccessibility::Call> FakePressAccessibility::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<FakePressAccessibility::Call> FakePressAccessibility::calls(Call::Kind kind) const {
    std::lock_guard lock(mutex_);
    std::vector<Call> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [kind](const Call& call) { return call.kind == kind; });
    return result;
}

std::vector<FakePressAccessibility::Call> FakePressAccessibility::presses() const {
    std::lock_guard lock(mutex_);
    std::vector<Call> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result), [](const Call& call) {
        return call.kind == Call::Kind::pressIndex || call.kind == Call::Kind::pressIdentifier;
    });
    return result;
}

void FakePressAccessibility::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

namespace {

concurrency::Task<void> runNow(std::function<void()> job) {
    job();
    co_return;
}

} // namespace

system::ItemPresser::OffMain FakePressAccessibility::inlineRunner() {
    return [](std::function<void()> job) { return runNow(std::move(job)); };
}

} // namespace pellacor::testing
