#pragma once

#include "Concurrency/MainExecutor.h"
#include "Concurrency/Task.h"
#include "MenuBarSystem/Pressing/PressRevealing.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellacor::testing {

// A plain scriptable revealer for the presser's tests: serial numbers shared by
// reveals and lifts, an `endReveal` that does nothing for a ticket no longer
// held, and `isHidden` answering from a settable restriction plus the reveals
// and lifts in force. Every call is recorded; reveals and lifts can be made to
// fail or to take a while. It has no deadlines and writes no log lines: the
// coordinator is the revealer that does, and it is tested with the real presser.
//
// Hold it in a std::shared_ptr (a suspended call holds it through it); the
// executor must outlive it.
class FakeRevealer : public system::PressRevealing, public std::enable_shared_from_this<FakeRevealer> {
public:
    // One call to the revealer.
    struct Call {
        enum class Kind { isHidden, beginReveal, beginLift, endReveal };
        Kind kind;
        // The application asked about or revealed; the ended ticket's for `endReveal`.
        std::string bundleID;
        // `beginReveal` only.
        std::optional<system::RevealPurpose> purpose;
        // The ticket given (`beginReveal`, `beginLift`; absent when refused) or ended
        // (`endReveal`).
        std::optional<system::RevealTicket> ticket;
        // `isHidden`: the answer. `endReveal`: whether the ticket was still held.
        bool result = false;
        // When the call returned (for the begin calls: when the ticket was handed out or refused).
        concurrency::Instant at{};

        bool operator==(const Call&) const = default;
    };

    explicit FakeRevealer(concurrency::MainExecutor& executor) : executor_(executor) {}
    ~FakeRevealer() override = default;
    FakeRevealer(const FakeRevealer&) = delete;
    FakeRevealer& operator=(const FakeRevealer&) = delete;

    using system::PressRevealing::beginReveal;
    bool isHidden(const std::string& bundleID) override;
    concurrency::Task<std::optional<system::RevealTicket>>
    beginReveal(std::string bundleID, system::RevealPurpose purpose) override;
    concurrency::Task<std::optional<system::RevealTicket>> beginLift() override;
    void endReveal(const system::RevealTicket& ticket) override;

    // The restriction in force apart from temporary reveals and lifts. Starts unrestricted.
    void setUnrestricted();
    // Restricted to exactly these applications.
    void setAllowed(std::set<std::string> allowed);
    // Restricted, keeping out exactly these applications.
    void setHidden(std::set<std::string> hidden);

    // Reveals (lifts) are refused once their change would be applied: the serial
    // number is spent, nothing stays recorded and no ticket is given.
    void setRevealFails(bool fails) { revealFails_ = fails; }
    void setLiftFails(bool fails) { liftFails_ = fails; }
    // A shut-down revealer refuses lifts outright.
    void setShutDown(bool shutDown) { shutDown_ = shutDown; }
    // How long applying a reveal (lift) takes before the ticket is handed out.
    void setRevealDelay(concurrency::Duration delay) { revealDelay_ = delay; }
    void setLiftDelay(concurrency::Duration delay) { liftDelay_ = delay; }

    // Tickets granted and not yet ended, by id.
    std::vector<system::RevealTicket> heldTickets() const;
    bool isHeld(const system::RevealTicket& ticket) const;
    // The applications temporarily shown now.
    std::set<std::string> temporarilyShown() const;
    // Whether a lift is in force.
    bool isLifted() const { return !lifts_.empty(); }
    // The last serial number taken (0 before the first).
    int lastSerial() const { return serial_; }

    const std::vector<Call>& calls() const { return calls_; }
    std::vector<Call> calls(Call::Kind kind) const;
    void clearCalls() { calls_.clear(); }

private:
    enum class Plan { unrestricted, allowing, hiding };

    // Ends the reveal or lift the ticket's id names; true when there was one.
    bool end(const system::RevealTicket& ticket);
    void record(Call call);

    concurrency::MainExecutor& executor_;
    Plan plan_ = Plan::unrestricted;
    std::set<std::string> planned_;
    int serial_ = 0;
    // Temporary reveals by serial number, and the serial numbers of lifts.
    std::map<int, std::string> reveals_;
    std::set<int> lifts_;
    bool revealFails_ = false;
    bool liftFails_ = false;
    bool shutDown_ = false;
    concurrency::Duration revealDelay_{0};
    concurrency::Duration liftDelay_{0};
    std::vector<Call> calls_;
};

} // namespace pellacor::testing
