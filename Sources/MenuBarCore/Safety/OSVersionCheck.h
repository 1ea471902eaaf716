#pragma once

#include <optional>
#include <string>

namespace pellacor::core {

// Whether the operating system changed since the user last confirmed that hiding
// worked. The program leans on private parts of the system, so a new version
// starts it paused. Pure comparison: remembering and pausing are the caller's.
class OSVersionCheck {
public:
    enum class Kind { changed, firstRun, same };

    static OSVersionCheck changed(std::string from) { return OSVersionCheck(Kind::changed, std::move(from)); }
    static OSVersionCheck firstRun() { return OSVersionCheck(Kind::firstRun, {}); }
    static OSVersionCheck same() { return OSVersionCheck(Kind::same, {}); }

    // No parsing: any textual difference counts as a change, older or newer.
    static OSVersionCheck compare(const std::optional<std::string>& confirmed, const std::string& current);

    Kind kind() const { return kind_; }
    // The confirmed version a `changed` result carries; empty otherwise.
    const std::string& from() const { return from_; }

    bool operator==(const OSVersionCheck&) const = default;

private:
    OSVersionCheck(Kind kind, std::string from) : kind_(kind), from_(std::move(from)) {}
    Kind kind_;
    std::string from_;
};

} // namespace pellacor::core
