// Property-list files in either form: any bytes read as a dictionary or as
// unreadable, within the bounds; a dictionary whose text can be stored is
// written and read back exactly, and one whose text cannot is never written;
// the program's own key written beside any entry read (also text that is not
// UTF-8) keeps that entry exactly as it was.
#include "Platform/PropertyListFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace pellacor::platform;

namespace {

// A dictionary holding only "CF$UID" with a 32-bit number: the XML form's way
// of writing a reference, so in that form it reads back as one.
bool looksLikeReference(const PropertyListValue::Dictionary& dictionary) {
    if (dictionary.size() != 1 || !dictionary.contains("CF$UID")) {
        return false;
    }
    const auto number = dictionary.at("CF$UID").integerValue();
    return number && *number >= 0 && *number <= 0xFFFF'FFFF;
}

// What no form of the file can hold (a NUL in text, a UID beyond 32 bits);
// with `exactOnlyInBinary`, also the reals and dates that the XML form writes
// as decimal text, and a dictionary that the XML form cannot tell from a
// reference.
bool holdsUnwritable(const PropertyListValue& value, bool exactOnlyInBinary) {
    if (value.realValue() || value.dateValue()) {
        return exactOnlyInBinary;
    }
    if (const auto* dictionary = value.dictionaryValue(); dictionary && looksLikeReference(*dictionary)) {
        return exactOnlyInBinary;
    }
    if (const auto* text = value.stringValue()) {
        return text->find('\0') != std::string::npos;
    }
    if (auto uid = value.uidValue()) {
        return uid->value > 0xFFFF'FFFFU;
    }
    if (const auto* array = value.arrayValue()) {
        for (const auto& element : *array) {
            if (holdsUnwritable(element, exactOnlyInBinary)) {
                return true;
            }
        }
    }
    if (const auto* dictionary = value.dictionaryValue()) {
        for (const auto& [key, element] : *dictionary) {
            if (key.find('\0') != std::string::npos || holdsUnwritable(element, exactOnlyInBinary)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto dictionary =
        PropertyListFile::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!dictionary) {
        return 0;
    }
    const auto encoded = PropertyListFile::encodeBinary(*dictionary);
    if (PropertyListValue(*dictionary).isStorable() == encoded.empty()) {
        std::abort();
    }
    if (!encoded.empty() && PropertyListFile::decode(encoded) != dictionary) {
        std::abort();
    }
    auto withOwnKey = *dictionary;
    withOwnKey.insert_or_assign("app.trayvane.pellacor.fuzz", PropertyListValue::boolean(true));
    std::string written = PropertyListFile::encodeBinary(withOwnKey);
    if (written.empty()) {
        if (holdsUnwritable(PropertyListValue(withOwnKey), true)) {
            return 0;
        }
        written = PropertyListFile::encodeXml(withOwnKey);
    }
    if (written.empty() || PropertyListFile::decode(written) != withOwnKey) {
        std::abort();
    }
    return 0;
}
