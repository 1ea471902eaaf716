#include "Support/FakeRevealer.h"

#include "Concurrency/Sleep.h"

#include <algorithm>

namespace pellacor::testing {

using system::RevealPurpose;
using system::RevealTicket;

FakeRevealer::~FakeRevealer() {
    for (auto& [id, task] : deadlines_) {
        task.cancel();
    }
}

bool FakeRevealer::isHidden(const std::string& bundleID) {
    // As the coordinator answers from the plan it applies: no restriction while
    // lifted, and a temporarily shown application is among the allowed ones.
    bool hidden = false;
    if (lifts_.empty() && !temporarilyShown().contains(bundleID)) {
        switch (plan_) {
        case Plan::unrestricted:
            hidden = false;
            break;
        case Plan::allowing:
            hidden = !planned_.contains(bundleID);
            break;
        case Plan::hiding:
            hidden = planned_.contains(bundleID);
            break;
        }
    }
    record({Call::Kind::isHidden, bundleID, std::nullopt, std::nullopt, hidden, executor_.now()});
    return hidden;
}

concurrency::Task<std::optional<RevealTicket>> FakeRevealer::beginReveal(std::string bundleID,
                                                                         RevealPurpose purpose) {
    // Stays alive while the call is suspended, as the coordinator would through its caller.
    auto keepAlive = weak_from_this().lock();
    if (bundleID.empty()) {
        record({Call::Kind::beginReveal, bundleID, purpose, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
    const int id = ++serial_;
    reveals_.emplace(id, bundleID);
    if (revealDelay_ > concurrency::Duration::zero()) {
        co_await concurrency::sleep(revealDelay_);
    }
    if (revealFails_) {
        drop(id);
        record({Call::Kind::beginReveal, bundleID, purpose, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
    RevealTicket ticket{id, bundleID};
    startDeadline(ticket, purpose == RevealPurpose::press ? pressDeadline : leaveShownDeadline);
    record({Call::Kind::beginReveal, bundleID, purpose, ticket, false, executor_.now()});
    co_return ticket;
}

concurrency::Task<std::optional<RevealTicket>> FakeRevealer::beginLift() {
    auto keepAlive = weak_from_this().lock();
    if (shutDown_) {
        record({Call::Kind::beginLift, {}, std::nullopt, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
    const int id = ++serial_;
    lifts_.insert(id);
    if (liftDelay_ > concurrency::Duration::zero()) {
        co_await concurrency::sleep(liftDelay_);
    }
    if (shutDown_ || !lifts_.contains(id) || liftFails_) {
        drop(id);
        record({Call::Kind::beginLift, {}, std::nullopt, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
    RevealTicket ticket{id, {}};
    startDeadline(ticket, liftDeadline);
    record({Call::Kind::beginLift, {}, std::nullopt, ticket, false, executor_.now()});
    co_return ticket;
}

void FakeRevealer::endReveal(const RevealTicket& ticket) {
    bool held = drop(ticket.id);
    record({Call::Kind::endReveal, ticket.bundleID, std::nullopt, ticket, held, executor_.now()});
}

void FakeRevealer::setUnrestricted() {
    plan_ = Plan::unrestricted;
    planned_.clear();
}

void FakeRevealer::setAllowed(std::set<std::string> allowed) {
    plan_ = Plan::allowing;
    planned_ = std::move(allowed);
}

void FakeRevealer::setHidden(std::set<std::string> hidden) {
    plan_ = Plan::hiding;
    planned_ = std::move(hidden);
}

std::vector<RevealTicket> FakeRevealer::heldTickets() const {
    std::map<int, RevealTicket> held;
    for (const auto& [id, bundleID] : reveals_) {
        held.emplace(id, RevealTicket{id, bundleID});
    }
    for (int id : lifts_) {
        held.emplace(id, RevealTicket{id, {}});
    }
    std::vector<RevealTicket> result;
    for (auto& [id, ticket] : held) {
        result.push_back(std::move(ticket));
    }
    return result;
}

bool FakeRevealer::isHeld(const RevealTicket& ticket) const {
    auto held = heldTickets();
    return std::find(held.begin(), held.end(), ticket) != held.end();
}

std::set<std::string> FakeRevealer::temporarilyShown() const {
    std::set<std::string> shown;
    for (const auto& [id, bundleID] : reveals_) {
        shown.insert(bundleID);
    }
    return shown;
}

std::vector<FakeRevealer::Call> FakeRevealer::calls(Call::Kind kind) const {
    std::vector<Call> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [kind](const Call& call) { return call.kind == kind; });
    return result;
}

concurrency::Task<void> FakeRevealer::deadline(std::weak_ptr<FakeRevealer> weak, RevealTicket ticket,
                                               concurrency::Duration delay) {
    co_await concurrency::sleep(delay);
    auto self = weak.lock();
    if (!self || concurrency::isCancelled()) {
        co_return;
    }
    self->deadlines_.erase(ticket.id);
    if (self->drop(ticket.id)) {
        self->record(
            {Call::Kind::expired, ticket.bundleID, std::nullopt, ticket, true, self->executor_.now()});
    }
}

void FakeRevealer::startDeadline(const RevealTicket& ticket, concurrency::Duration delay) {
    deadlines_.insert_or_assign(ticket.id,
                                concurrency::spawn(executor_, deadline(weak_from_this(), ticket, delay)));
}

bool FakeRevealer::drop(int id) {
    // Ending a reveal or lift also ends its deadline task.
    if (auto task = deadlines_.find(id); task != deadlines_.end()) {
        task->second.cancel();
        deadlines_.erase(task);
    }
    return reveals_.erase(id) > 0 || lifts_.erase(id) > 0;
}

void FakeRevealer::record(Call call) {
    calls_.push_back(std::move(call));
}

} // namespace pellacor::testing
