#include "Platform/PropertyListFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace pellacor::platform {

namespace {

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

std::optional<PropertyListValue> fromNode(plist_t node) {
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
        PropertyListValue::Array array;
        const std::uint32_t count = plist_array_get_size(node);
        for (std::uint32_t i = 0; i < count; ++i) {
            auto element = fromNode(plist_array_get_item(node, i));
            if (!element) {
                return std::nullopt;
            }
            array.push_back(std::move(*element));
        }
        return PropertyListValue(std::move(array));
    }
    case PLIST_DICT: {
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
            auto converted = fromNode(value);
            if (!converted) {
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

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo the write.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::optional<PropertyListValue::Dictionary> PropertyListFile::decode(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
    Node root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        return std::nullopt;
    }
    auto value = fromNode(root.get());
    if (!value) {
        return std::nullopt;
    }
    return *value->dictionaryValue();
}

std::string PropertyListFile::encodeBinary(const PropertyListValue::Dictionary& dictionary) {
    Node root(toNode(PropertyListValue(dictionary)));
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    std::string result = bytes == nullptr ? std::string() : std::string(bytes, length);
    plist_to_bin_free(bytes);
    return result;
}

PropertyListFile::ReadResult PropertyListFile::read(const std::filesystem::path& file) {
    ReadResult result;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        result.status = error ? ReadResult::Status::unreadable : ReadResult::Status::missing;
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.status = ReadResult::Status::unreadable;
        return result;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        result.status = ReadResult::Status::unreadable;
        return result;
    }
    auto dictionary = decode(buffer.str());
    if (!dictionary) {
        result.status = ReadResult::Status::unreadable;
        return result;
    }
    result.status = ReadResult::Status::ok;
    result.dictionary = std::move(*dictionary);
    return result;
}

bool PropertyListFile::write(const std::filesystem::path& file,
                             const PropertyListValue::Dictionary& dictionary) {
    const std::string bytes = encodeBinary(dictionary);
    if (bytes.empty()) {
        return false;
    }
    const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    std::string pattern = (folder / (file.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool stored = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!stored || !closed || ::rename(name.data(), file.c_str()) != 0) {
        ::unlink(name.data());
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace pellacor::platform
