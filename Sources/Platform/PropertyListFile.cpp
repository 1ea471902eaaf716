#include "Platform/PropertyListFile.h"

#include "MenuBarCore/Storage/StoreFileSystem.h"
#include "MenuBarCore/Support/RegularFileReader.h"
#include "Platform/BinaryPropertyListReader.h"

#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <sstream>
#include <system_error>

namespace pellacor::platform {

namespace {

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

// What is left of the limits while a parsed XML tree is converted.
struct Budget {
    std::size_t values = PropertyListFile::maximumValues;
    std::size_t bytes = PropertyListFile::maximumBytes;

    bool spend(std::size_t valueCount, std::size_t byteCount) {
        if (valueCount > values || byteCount > bytes) {
            return false;
        }
        values -= valueCount;
        bytes -= byteCount;
        return true;
    }
};

// The XML form has no element for a keyed-archive reference: it is written as
// a dictionary holding only "CF$UID" with the number. Read back as that
// dictionary, a reference would not survive a write in the XML form, so a
// foreign entry that needs that form would again block every write beside it.
// Only what a reference can be (an integer of 32 bits) is taken as one.
std::optional<PropertyListValue::Uid> keyedArchiveReference(plist_t dictionary) {
    if (plist_dict_get_size(dictionary) != 1) {
        return std::nullopt;
    }
    plist_t number = plist_dict_get_item(dictionary, "CF$UID");
    if (number == nullptr || plist_get_node_type(number) != PLIST_UINT) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    plist_get_uint_val(number, &value);
    if (value > 0xFFFF'FFFFU) {
        return std::nullopt;
    }
    return PropertyListValue::Uid{value};
}

std::optional<PropertyListValue> fromNode(plist_t node, std::size_t depth, Budget& budget) {
    if (!budget.spend(1, 0)) {
        return std::nullopt;
    }
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        std::uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return PropertyListValue::boolean(value != 0);
    }
    case PLIST_UINT: {
        // The file's integers are signed; the library keeps their 64 bits unsigned.
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return PropertyListValue::integer(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return PropertyListValue::real(value);
    }
    case PLIST_STRING: {
        std::uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (!budget.spend(0, length)) {
            return std::nullopt;
        }
        return PropertyListValue(text == nullptr ? std::string() : std::string(text, length));
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return PropertyListValue(PropertyListValue::Date{seconds, microseconds});
    }
    case PLIST_DATA: {
        std::uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        if (!budget.spend(0, length)) {
            return std::nullopt;
        }
        PropertyListValue::Data data;
        if (bytes != nullptr) {
            data.assign(reinterpret_cast<const std::uint8_t*>(bytes),
                        reinterpret_cast<const std::uint8_t*>(bytes) + length);
        }
        return PropertyListValue(std::move(data));
    }
    case PLIST_UID: {
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return PropertyListValue(PropertyListValue::Uid{value});
    }
    case PLIST_ARRAY: {
        if (depth >= PropertyListFile::maximumDepth) {
            return std::nullopt;
        }
        PropertyListValue::Array array;
        const std::uint32_t count = plist_array_get_size(node);
        for (std::uint32_t i = 0; i < count; ++i) {
            auto element = fromNode(plist_array_get_item(node, i), depth + 1, budget);
            if (!element) {
                return std::nullopt;
            }
            array.push_back(std::move(*element));
        }
        return PropertyListValue(std::move(array));
    }
    case PLIST_DICT: {
        if (auto reference = keyedArchiveReference(node)) {
            return PropertyListValue(*reference);
        }
        if (depth >= PropertyListFile::maximumDepth) {
            return std::nullopt;
        }
        PropertyListValue::Dictionary dictionary;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        bool complete = true;
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            if (value == nullptr) {
                std::free(key);
                break;
            }
            std::string name = key == nullptr ? std::string() : std::string(key);
            std::free(key);
            auto converted = fromNode(value, depth + 1, budget);
            if (!converted || !budget.spend(1, name.size())) {
                complete = false;
                break;
            }
            dictionary.insert_or_assign(std::move(name), std::move(*converted));
        }
        std::free(iterator);
        if (!complete) {
            return std::nullopt;
        }
        return PropertyListValue(std::move(dictionary));
    }
    default:
        return std::nullopt;
    }
}

plist_t toNode(const PropertyListValue& value) {
    using Kind = PropertyListValue::Kind;
    switch (value.kind()) {
    case Kind::boolean:
        return plist_new_bool(*value.booleanValue() ? 1 : 0);
    case Kind::integer:
        return plist_new_uint(static_cast<std::uint64_t>(*value.integerValue()));
    case Kind::real:
        return plist_new_real(*value.realValue());
    case Kind::string:
        return plist_new_string(value.stringValue()->c_str());
    case Kind::date:
        return plist_new_date(value.dateValue()->seconds, value.dateValue()->microseconds);
    case Kind::data: {
        const auto& data = *value.dataValue();
        return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case Kind::uid:
        return plist_new_uid(value.uidValue()->value);
    case Kind::array: {
        plist_t array = plist_new_array();
        for (const auto& element : *value.arrayValue()) {
            plist_array_append_item(array, toNode(element));
        }
        return array;
    }
    case Kind::dictionary: {
        plist_t dictionary = plist_new_dict();
        for (const auto& [key, element] : *value.dictionaryValue()) {
            plist_dict_set_item(dictionary, key.c_str(), toNode(element));
        }
        return dictionary;
    }
    }
    return plist_new_dict();
}

// Whether an XML document nests its elements deeper than `limit`, found before
// the library parses it: its parser and its tree walks recurse without a bound.
// Comments, character data, processing instructions and declarations are
// skipped; anything else in angle brackets counts, which can only overstate
// the depth.
bool nestsDeeperThan(std::string_view xml, std::size_t limit) {
    std::size_t depth = 0;
    std::size_t at = 0;
    auto skipPast = [&](std::string_view end) {
        const auto found = xml.find(end, at);
        at = found == std::string_view::npos ? xml.size() : found + end.size();
    };
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = xml.substr(at);
        if (rest.starts_with("<!--")) {
            skipPast("-->");
        } else if (rest.starts_with("<![CDATA[")) {
            skipPast("]]>");
        } else if (rest.starts_with("<?")) {
            skipPast("?>");
        } else if (rest.starts_with("<!")) {
            skipPast(">");
        } else if (rest.starts_with("</")) {
            depth = depth == 0 ? 0 : depth - 1;
            skipPast(">");
        } else {
            // "<true/>" and "<dict/>" open nothing.
            const auto end = xml.find('>', at);
            const bool selfClosing = end != std::string_view::npos && xml[end - 1] == '/';
            skipPast(">");
            if (!selfClosing && ++depth > limit) {
                return true;
            }
        }
    }
    return false;
}

std::optional<PropertyListValue> decodeXml(std::string_view bytes) {
    // XML cannot hold a NUL in any form; the library would take one inside a
    // key as the key's end and then stop on its own assertion.
    if (bytes.find('\0') != std::string_view::npos ||
        bytes.size() > std::numeric_limits<std::uint32_t>::max() ||
        nestsDeeperThan(bytes, PropertyListFile::maximumDepth + 1)) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_xml(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
    Node root(raw);
    if (!root) {
        return std::nullopt;
    }
    Budget budget;
    return fromNode(root.get(), 0, budget);
}

} // namespace

std::optional<PropertyListValue::Dictionary> PropertyListFile::decode(std::string_view bytes) {
    std::optional<PropertyListValue> value;
    if (BinaryPropertyListReader::looksBinary(bytes)) {
        value = BinaryPropertyListReader::read(bytes, {maximumDepth, maximumValues, maximumBytes});
    } else {
        value = decodeXml(bytes);
    }
    if (!value || value->dictionaryValue() == nullptr) {
        return std::nullopt;
    }
    return *value->dictionaryValue();
}

std::string PropertyListFile::encodeBinary(const PropertyListValue::Dictionary& dictionary) {
    const PropertyListValue value(dictionary);
    if (!value.isStorable()) {
        return {};
    }
    Node root(toNode(value));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    std::string result = bytes == nullptr ? std::string() : std::string(bytes, length);
    plist_to_bin_free(bytes);
    // Only bytes that read back as the very same dictionary are a faithful
    // encoding; anything the library would change refuses the whole write.
    if (decode(result) != dictionary) {
        return {};
    }
    return result;
}

PropertyListFile::ReadResult PropertyListFile::read(const std::filesystem::path& file) {
    ReadResult result;
    const auto unreadable = [&result](std::string reason) {
        result.status = ReadResult::Status::unreadable;
        result.reason = std::move(reason);
        return result;
    };
    auto bytes = core::RegularFileReader::read(file, maximumFileBytes);
    if (bytes.status == core::RegularFileReader::Result::Status::missing) {
        result.status = ReadResult::Status::missing;
        return result;
    }
    if (bytes.status != core::RegularFileReader::Result::Status::ok) {
        return unreadable(std::move(bytes.reason));
    }
    auto dictionary = decode(bytes.content);
    if (!dictionary) {
        return unreadable("it is not a property list whose top level is a dictionary, or it passes a bound");
    }
    result.status = ReadResult::Status::ok;
    result.dictionary = std::move(*dictionary);
    return result;
}

std::string PropertyListFile::encodeXml(const PropertyListValue::Dictionary& dictionary) {
    Node root(toNode(PropertyListValue(dictionary)));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root.get(), &bytes, &length);
    std::string result = bytes == nullptr ? std::string() : std::string(bytes, length);
    plist_to_xml_free(bytes);
    if (decode(result) != dictionary) {
        return {};
    }
    return result;
}

bool PropertyListFile::write(const std::filesystem::path& file,
                             const PropertyListValue::Dictionary& dictionary) {
    std::string bytes = encodeBinary(dictionary);
    // Text that is not UTF-8 (an entry something else wrote) has no binary
    // form, but the XML form carries its bytes as they are; so such an entry
    // never keeps the rest of the file from being written.
    if (bytes.empty()) {
        bytes = encodeXml(dictionary);
    }
    if (bytes.empty()) {
        return false;
    }
    // A killed write leaves "<file name>.XXXXXX" behind; the next write clears it.
    auto fileSystem = core::StoreFileSystem::standard();
    return !fileSystem->replace(file, bytes, file.filename().string() + ".");
}

} // namespace pellacor::platform
