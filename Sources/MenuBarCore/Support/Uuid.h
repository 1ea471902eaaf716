#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pellacor::core {

// A 128-bit identifier. Written as upper-case canonical text
// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); read from canonical text in any case.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr Uuid() = default;
    explicit constexpr Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A new random (version 4) identifier.
    static Uuid random();
    // The canonical 8-4-4-4-12 hexadecimal form, upper or lower case; anything else is refused.
    static std::optional<Uuid> parse(std::string_view text);

    std::string uuidString() const;
    const Bytes& bytes() const { return bytes_; }

    auto operator<=>(const Uuid&) const = default;
    bool operator==(const Uuid&) const = default;

private:
    Bytes bytes_{};
};

} // namespace pellacor::core

template <> struct std::hash<pellacor::core::Uuid> {
    std::size_t operator()(const pellacor::core::Uuid& id) const noexcept {
        std::size_t h = 1469598103934665603ull;
        for (auto b : id.bytes()) {
            h = (h ^ b) * 1099511628211ull;
        }
        return h;
    }
};
