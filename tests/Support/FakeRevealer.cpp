#include "Support/FakeRevealer.h"

#include "Concurrency/Sleep.h"

#include <algorithm>

namespace pellacor::testing {

using system::RevealPurpose;
using system::RevealTicket;

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
    RevealTicket ticket{id, bundleID};
    // Ended while it was being applied, or refused: no reveal to hand out.
    if (revealFails_ || !reveals_.contains(id)) {
        end(ticket);
        record({Call::Kind::beginReveal, bundleID, purpose, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
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
    RevealTicket ticket{id, {}};
    if (shutDown_ || !lifts_.contains(id) || liftFails_) {
        end(ticket);
        record({Call::Kind::beginLift, {}, std::nullopt, std::nullopt, false, executor_.now()});
        co_return std::nullopt;
    }
    record({Call::Kind::beginLift, {}, std::nullopt, ticket, false, executor_.now()});
    co_return ticket;
}

void FakeRevealer::endReveal(const RevealTicket& ticket) {
    bool held = end(ticket);
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

bool FakeRevealer::end(const RevealTicket& ticket) {
    return lifts_.erase(ticket.id) > 0 || reveals_.erase(ticket.id) > 0;
}

void FakeRevealer::record(Call call) {
    calls_.push_back(std::move(call));
}

} // namespace pellacor::testing
