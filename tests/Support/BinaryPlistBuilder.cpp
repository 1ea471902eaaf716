#include "Support/BinaryPlistBuilder.h"

#include <bit>

namespace pellacor::testing {

namespace {

void appendBigEndian(std::string& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = size; i-- > 0;) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

std::string BinaryPlistBuilder::header(unsigned kind, std::size_t count) {
    std::string head;
    if (count < 15) {
        head.push_back(static_cast<char>((kind << 4) | count));
    } else {
        head.push_back(static_cast<char>((kind << 4) | 0x0F));
        head.push_back(static_cast<char>(0x13));
        appendBigEndian(head, count, 8);
    }
    return head;
}

std::size_t BinaryPlistBuilder::add(Object object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
}

std::size_t BinaryPlistBuilder::ascii(std::string_view bytes) {
    return add({header(0x5, bytes.size()) + std::string(bytes), {}});
}

std::size_t BinaryPlistBuilder::utf16(std::u16string_view units) {
    std::string head = header(0x6, units.size());
    for (char16_t unit : units) {
        appendBigEndian(head, unit, 2);
    }
    return add({std::move(head), {}});
}

std::size_t BinaryPlistBuilder::real(double value) {
    std::string head(1, static_cast<char>(0x23));
    appendBigEndian(head, std::bit_cast<std::uint64_t>(value), 8);
    return add({std::move(head), {}});
}

std::size_t BinaryPlistBuilder::uid(std::uint64_t value) {
    const std::size_t size = value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : value <= 0xFFFF'FFFF ? 4 : 8;
    std::string head(1, static_cast<char>(0x80 | (size - 1)));
    appendBigEndian(head, value, size);
    return add({std::move(head), {}});
}

std::size_t BinaryPlistBuilder::array(std::vector<std::size_t> elements) {
    std::string head = header(0xA, elements.size());
    return add({std::move(head), std::move(elements)});
}

void BinaryPlistBuilder::setElements(std::size_t array, std::vector<std::size_t> elements) {
    objects_[array] = {header(0xA, elements.size()), std::move(elements)};
}

std::size_t BinaryPlistBuilder::dictionary(std::vector<std::pair<std::size_t, std::size_t>> entries) {
    std::vector<std::size_t> refs;
    for (const auto& entry : entries) {
        refs.push_back(entry.first);
    }
    for (const auto& entry : entries) {
        refs.push_back(entry.second);
    }
    return add({header(0xD, entries.size()), std::move(refs)});
}

std::string BinaryPlistBuilder::bytes(std::size_t top) const {
    const std::size_t refSize = objects_.size() <= 0xFF ? 1 : objects_.size() <= 0xFFFF ? 2 : 4;
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects_) {
        offsets.push_back(out.size());
        out += object.head;
        for (std::size_t ref : object.refs) {
            appendBigEndian(out, ref, refSize);
        }
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets) {
        appendBigEndian(out, offset, 8);
    }
    out.append(6, '\0');
    out.push_back(static_cast<char>(8));
    out.push_back(static_cast<char>(refSize));
    appendBigEndian(out, objects_.size(), 8);
    appendBigEndian(out, top, 8);
    appendBigEndian(out, table, 8);
    return out;
}

} // namespace pellacor::testing
