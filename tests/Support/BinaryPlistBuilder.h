#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellacor::testing {

// Puts binary property lists together object by object, so that a test can make
// the files no writer makes: keys with any bytes, objects referred to from
// several places, nesting of any depth, references in a cycle. Each call adds
// one object and returns its number.
class BinaryPlistBuilder {
public:
    std::size_t ascii(std::string_view bytes);
    std::size_t utf16(std::u16string_view units);
    std::size_t real(double value);
    // A keyed-archive reference, in as few bytes as hold it.
    std::size_t uid(std::uint64_t value);
    // An array of objects added before or after it.
    std::size_t array(std::vector<std::size_t> elements);
    std::size_t dictionary(std::vector<std::pair<std::size_t, std::size_t>> entries);
    // Makes an array refer to other objects after it was added (for cycles).
    void setElements(std::size_t array, std::vector<std::size_t> elements);

    // The file, with `top` as its top-level object.
    std::string bytes(std::size_t top) const;

private:
    struct Object {
        std::string head;              // marker, count and scalar contents
        std::vector<std::size_t> refs; // written after the head, for arrays and dictionaries
    };

    std::size_t add(Object object);
    static std::string header(unsigned kind, std::size_t count);

    std::vector<Object> objects_;
};

} // namespace pellacor::testing
