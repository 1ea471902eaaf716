#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellacor::platform {

// One value of a property list, with its type kept: a boolean is never an
// integer, an integer never a real. Every type a property-list file can hold has
// its own kind, so a file read and written again keeps entries the program does
// not understand.
//
// Reals compare by their bits: a value always equals its own copy (a NaN too),
// and 0.0 and -0.0 differ, as they are stored differently.
class PropertyListValue {
public:
    using Dictionary = std::map<std::string, PropertyListValue>;
    using Array = std::vector<PropertyListValue>;
    using Data = std::vector<std::uint8_t>;

    // A date as the file stores it: seconds and microseconds from the reference date (2001-01-01 UTC).
    struct Date {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        bool operator==(const Date&) const = default;
    };

    // Keyed-archive object reference.
    struct Uid {
        std::uint64_t value = 0;
        bool operator==(const Uid&) const = default;
    };

    enum class Kind { boolean, integer, real, string, date, data, uid, array, dictionary };

    PropertyListValue() : PropertyListValue(Dictionary{}) {}
    // A string literal is a string (it would otherwise turn into a boolean).
    PropertyListValue(const char* text) : PropertyListValue(std::string(text)) {}
    static PropertyListValue boolean(bool value);
    static PropertyListValue integer(std::int64_t value);
    static PropertyListValue real(double value);
    PropertyListValue(std::string value);
    PropertyListValue(Date value);
    PropertyListValue(Data value);
    PropertyListValue(Uid value);
    PropertyListValue(Array value);
    PropertyListValue(Dictionary value);

    Kind kind() const { return static_cast<Kind>(content_.index()); }

    // The value of that kind; nothing for any other kind.
    std::optional<bool> booleanValue() const;
    std::optional<std::int64_t> integerValue() const;
    std::optional<double> realValue() const;
    const std::string* stringValue() const;
    std::optional<Date> dateValue() const;
    const Data* dataValue() const;
    std::optional<Uid> uidValue() const;
    const Array* arrayValue() const;
    const Dictionary* dictionaryValue() const;

    // Whether a property-list file can store it and read it back unchanged:
    // every text in it (strings and dictionary keys, at any depth) is valid
    // UTF-8 without a NUL, and every keyed-archive reference fits the 32 bits
    // the writer keeps. A value read from a hostile file may hold other bytes,
    // which no write could keep.
    bool isStorable() const;

    bool operator==(const PropertyListValue& other) const;

private:
    struct Real {
        double value = 0;
        bool operator==(const Real& other) const;
    };
    struct Boolean {
        bool value = false;
        bool operator==(const Boolean&) const = default;
    };
    // Containers are shared and never changed after construction, so copies stay cheap and independent.
    template <typename T> struct Shared {
        std::shared_ptr<const T> value;
        bool operator==(const Shared& other) const { return *value == *other.value; }
    };

    using Content = std::variant<Boolean, std::int64_t, Real, std::string, Date, Data, Uid, Shared<Array>,
                                 Shared<Dictionary>>;

    explicit PropertyListValue(Content content) : content_(std::move(content)) {}

    Content content_;
};

} // namespace pellacor::platform
