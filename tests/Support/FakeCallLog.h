#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace pellacor::testing {

// The calls a fake has seen, by name and argument ("apply(allow(a, b))"), in order.
class FakeCallLog {
public:
    const std::vector<std::string>& calls() const { return calls_; }
    std::size_t callCount() const { return calls_.size(); }
    // How many calls had exactly this text.
    std::size_t count(const std::string& call) const {
        std::size_t n = 0;
        for (const auto& c : calls_) {
            n += c == call ? 1 : 0;
        }
        return n;
    }
    void clearCalls() { calls_.clear(); }
    void note(std::string call) const { calls_.push_back(std::move(call)); }

private:
    mutable std::vector<std::string> calls_;
};

} // namespace pellacor::testing
