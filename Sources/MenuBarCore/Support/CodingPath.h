#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellacor::core {

// The position of a value inside a JSON document while it is being decoded, kept
// as a chain of small links on the decoders' stack so that nothing is allocated
// unless an error has to name the position. A path refers to its parent and to
// the member name it was given: both must outlive it, which holds when paths are
// only ever passed down into nested decode calls.
class CodingPath {
public:
    // The document itself.
    CodingPath() = default;

    CodingPath member(std::string_view name) const { return CodingPath(this, name, 0); }
    CodingPath element(std::size_t index) const { return CodingPath(this, {}, index, true); }

    // `profiles[0].sections["com.example.app"]`; empty for the document itself.
    std::string text() const;

private:
    CodingPath(const CodingPath* parent, std::string_view name, std::size_t index, bool isElement = false)
        : parent_(parent), name_(name), index_(index), isElement_(isElement) {}

    void append(std::string& out) const;

    const CodingPath* parent_ = nullptr;
    std::string_view name_;
    std::size_t index_ = 0;
    bool isElement_ = false;
};

} // namespace pellacor::core
