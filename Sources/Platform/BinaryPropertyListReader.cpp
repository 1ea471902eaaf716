#include "Platform/BinaryPropertyListReader.h"

#include <bit>
#include <cmath>
#include <limits>
#include <string>

namespace pellacor::platform {

namespace {

constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

std::uint64_t bigEndian(const unsigned char* bytes, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

class Parser {
public:
    Parser(std::string_view bytes, BinaryPropertyListReader::Limits limits)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()), limits_(limits) {}

    std::optional<PropertyListValue> parse() {
        if (size_ < headerSize + trailerSize) {
            return std::nullopt;
        }
        const unsigned char* trailer = data_ + size_ - trailerSize;
        offsetSize_ = trailer[6];
        referenceSize_ = trailer[7];
        const std::uint64_t objects = bigEndian(trailer + 8, 8);
        const std::uint64_t top = bigEndian(trailer + 16, 8);
        const std::uint64_t table = bigEndian(trailer + 24, 8);
        if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8 || objects == 0 ||
            top >= objects || table < headerSize || table > size_ - trailerSize ||
            objects > (size_ - trailerSize - table) / offsetSize_) {
            return std::nullopt;
        }
        objects_ = objects;
        table_ = static_cast<std::size_t>(table);
        return value(top, 1);
    }

private:
    // The start of an object, which lies between the header and the offset table.
    std::optional<std::size_t> offsetOf(std::uint64_t object) const {
        if (object >= objects_) {
            return std::nullopt;
        }
        const std::uint64_t offset = bigEndian(data_ + table_ + object * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= table_) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(offset);
    }

    // Whether `count` items of `unit` bytes fit between `at` and the offset table.
    bool fits(std::size_t at, std::uint64_t count, std::size_t unit) const {
        return at <= table_ && count <= (table_ - at) / unit;
    }

    // The element count of a container or text: the marker's low nibble, or an
    // integer object right after the marker when the nibble is 0xF.
    std::optional<std::uint64_t> count(std::size_t& at) {
        const unsigned low = data_[at] & 0x0F;
        ++at;
        if (low != 0x0F) {
            return low;
        }
        if (at >= table_ || (data_[at] & 0xF0) != 0x10 || (data_[at] & 0x0F) > 3) {
            return std::nullopt;
        }
        const std::size_t width = std::size_t{1} << (data_[at] & 0x0F);
        ++at;
        if (!fits(at, width, 1)) {
            return std::nullopt;
        }
        const std::uint64_t value = bigEndian(data_ + at, width);
        at += width;
        return value;
    }

    bool spend(std::uint64_t bytes) {
        if (bytes > limits_.bytes - bytesRead_) {
            return false;
        }
        bytesRead_ += static_cast<std::size_t>(bytes);
        return true;
    }

    std::optional<std::string> text(std::uint64_t object) {
        auto offset = offsetOf(object);
        if (!offset) {
            return std::nullopt;
        }
        std::size_t at = *offset;
        const unsigned kind = data_[at] >> 4;
        if (kind != 0x5 && kind != 0x6 && kind != 0x7) {
            return std::nullopt;
        }
        auto length = count(at);
        const std::size_t unit = kind == 0x6 ? 2 : 1;
        if (!length || !fits(at, *length, unit) || !spend(*length * unit)) {
            return std::nullopt;
        }
        const auto* bytes = data_ + at;
        if (kind != 0x6) {
            return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(*length));
        }
        std::string result;
        result.reserve(static_cast<std::size_t>(*length));
        for (std::uint64_t i = 0; i < *length; ++i) {
            std::uint32_t unitValue = static_cast<std::uint32_t>(bigEndian(bytes + 2 * i, 2));
            if (unitValue >= 0xD800 && unitValue < 0xDC00 && i + 1 < *length) {
                const auto next = static_cast<std::uint32_t>(bigEndian(bytes + 2 * (i + 1), 2));
                if (next >= 0xDC00 && next < 0xE000) {
                    unitValue = 0x10000 + ((unitValue - 0xD800) << 10) + (next - 0xDC00);
                    ++i;
                }
            }
            appendUtf8(result, unitValue);
        }
        return result;
    }

    std::optional<PropertyListValue> value(std::uint64_t object, std::size_t depth) {
        if (++valuesRead_ > limits_.values) {
            return std::nullopt;
        }
        auto offset = offsetOf(object);
        if (!offset) {
            return std::nullopt;
        }
        std::size_t at = *offset;
        const unsigned marker = data_[at];
        const unsigned low = marker & 0x0F;
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09) {
                return PropertyListValue::boolean(marker == 0x09);
            }
            return std::nullopt;
        case 0x1:
            return integer(at + 1, low);
        case 0x2:
            return real(at + 1, low);
        case 0x3:
            return marker == 0x33 ? date(at + 1) : std::nullopt;
        case 0x4: {
            auto length = count(at);
            if (!length || !fits(at, *length, 1) || !spend(*length)) {
                return std::nullopt;
            }
            return PropertyListValue(PropertyListValue::Data(data_ + at, data_ + at + *length));
        }
        case 0x5:
        case 0x6:
        case 0x7: {
            auto string = text(object);
            if (!string) {
                return std::nullopt;
            }
            return PropertyListValue(std::move(*string));
        }
        case 0x8:
            if (low > 7 || !fits(at + 1, low + 1, 1)) {
                return std::nullopt;
            }
            return PropertyListValue(PropertyListValue::Uid{bigEndian(data_ + at + 1, low + 1)});
        case 0xA:
            return array(at, depth);
        case 0xD:
            return dictionary(at, depth);
        default:
            return std::nullopt;
        }
    }

    std::optional<PropertyListValue> integer(std::size_t at, unsigned exponent) {
        if (exponent > 4) {
            return std::nullopt;
        }
        const std::size_t width = std::size_t{1} << exponent;
        if (!fits(at, width, 1)) {
            return std::nullopt;
        }
        if (width == 16) {
            // Only an integer that fits 64 bits (the high half repeating the sign
            // of the low half) can be kept unchanged.
            const std::uint64_t high = bigEndian(data_ + at, 8);
            const std::uint64_t lowHalf = bigEndian(data_ + at + 8, 8);
            const std::uint64_t sign = (lowHalf >> 63) != 0 ? ~std::uint64_t{0} : 0;
            if (high != sign) {
                return std::nullopt;
            }
            return PropertyListValue::integer(static_cast<std::int64_t>(lowHalf));
        }
        // One, two and four bytes are unsigned; eight bytes are a signed integer.
        return PropertyListValue::integer(static_cast<std::int64_t>(bigEndian(data_ + at, width)));
    }

    std::optional<PropertyListValue> real(std::size_t at, unsigned exponent) {
        if (exponent == 2 && fits(at, 4, 1)) {
            return PropertyListValue::real(
                std::bit_cast<float>(static_cast<std::uint32_t>(bigEndian(data_ + at, 4))));
        }
        if (exponent == 3 && fits(at, 8, 1)) {
            return PropertyListValue::real(std::bit_cast<double>(bigEndian(data_ + at, 8)));
        }
        return std::nullopt;
    }

    // Seconds from the reference date, to the microsecond.
    std::optional<PropertyListValue> date(std::size_t at) {
        if (!fits(at, 8, 1)) {
            return std::nullopt;
        }
        const double seconds = std::bit_cast<double>(bigEndian(data_ + at, 8));
        constexpr double lowest = std::numeric_limits<std::int32_t>::min();
        constexpr double highest = std::numeric_limits<std::int32_t>::max();
        if (!std::isfinite(seconds) || seconds < lowest || seconds > highest) {
            return std::nullopt;
        }
        double whole = std::trunc(seconds);
        auto micro = static_cast<std::int64_t>(std::llround((seconds - whole) * 1e6));
        if (micro >= 1'000'000 || micro <= -1'000'000) {
            whole += micro > 0 ? 1 : -1;
            micro = 0;
        }
        if (whole < lowest || whole > highest) {
            return std::nullopt;
        }
        return PropertyListValue(
            PropertyListValue::Date{static_cast<std::int32_t>(whole), static_cast<std::int32_t>(micro)});
    }

    std::uint64_t reference(std::size_t at) const { return bigEndian(data_ + at, referenceSize_); }

    std::optional<PropertyListValue> array(std::size_t at, std::size_t depth) {
        auto length = count(at);
        if (depth > limits_.depth || !length || !fits(at, *length, referenceSize_)) {
            return std::nullopt;
        }
        PropertyListValue::Array elements;
        elements.reserve(static_cast<std::size_t>(*length));
        for (std::uint64_t i = 0; i < *length; ++i) {
            auto element = value(reference(at + i * referenceSize_), depth + 1);
            if (!element) {
                return std::nullopt;
            }
            elements.push_back(std::move(*element));
        }
        return PropertyListValue(std::move(elements));
    }

    std::optional<PropertyListValue> dictionary(std::size_t at, std::size_t depth) {
        auto length = count(at);
        if (depth > limits_.depth || !length || *length > std::numeric_limits<std::uint64_t>::max() / 2 ||
            !fits(at, *length * 2, referenceSize_)) {
            return std::nullopt;
        }
        PropertyListValue::Dictionary entries;
        const std::size_t values = at + static_cast<std::size_t>(*length) * referenceSize_;
        for (std::uint64_t i = 0; i < *length; ++i) {
            if (++valuesRead_ > limits_.values) {
                return std::nullopt;
            }
            auto key = text(reference(at + i * referenceSize_));
            if (!key || key->find('\0') != std::string::npos) {
                return std::nullopt;
            }
            auto element = value(reference(values + i * referenceSize_), depth + 1);
            if (!element) {
                return std::nullopt;
            }
            entries.insert_or_assign(std::move(*key), std::move(*element));
        }
        return PropertyListValue(std::move(entries));
    }

    const unsigned char* data_;
    std::size_t size_;
    BinaryPropertyListReader::Limits limits_;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t objects_ = 0;
    std::size_t table_ = 0;
    std::size_t valuesRead_ = 0;
    std::size_t bytesRead_ = 0;
};

} // namespace

std::optional<PropertyListValue> BinaryPropertyListReader::read(std::string_view bytes, Limits limits) {
    if (!looksBinary(bytes)) {
        return std::nullopt;
    }
    return Parser(bytes, limits).parse();
}

} // namespace pellacor::platform
