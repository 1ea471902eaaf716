#include "Platform/PropertyListValue.h"

#include "MenuBarCore/Text/Text.h"

#include <algorithm>
#include <bit>

namespace pellacor::platform {

bool PropertyListValue::Real::operator==(const Real& other) const {
    return std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(other.value);
}

PropertyListValue PropertyListValue::boolean(bool value) {
    return PropertyListValue(Content(Boolean{value}));
}

PropertyListValue PropertyListValue::integer(std::int64_t value) {
    return PropertyListValue(Content(value));
}

PropertyListValue PropertyListValue::real(double value) {
    return PropertyListValue(Content(Real{value}));
}

PropertyListValue::PropertyListValue(std::string value) : content_(std::move(value)) {}
PropertyListValue::PropertyListValue(Date value) : content_(value) {}
PropertyListValue::PropertyListValue(Data value) : content_(std::move(value)) {}
PropertyListValue::PropertyListValue(Uid value) : content_(value) {}
PropertyListValue::PropertyListValue(Array value)
    : content_(Shared<Array>{std::make_shared<const Array>(std::move(value))}) {}
PropertyListValue::PropertyListValue(Dictionary value)
    : content_(Shared<Dictionary>{std::make_shared<const Dictionary>(std::move(value))}) {}

std::optional<bool> PropertyListValue::booleanValue() const {
    if (const auto* value = std::get_if<Boolean>(&content_)) {
        return value->value;
    }
    return std::nullopt;
}

std::optional<std::int64_t> PropertyListValue::integerValue() const {
    if (const auto* value = std::get_if<std::int64_t>(&content_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<double> PropertyListValue::realValue() const {
    if (const auto* value = std::get_if<Real>(&content_)) {
        return value->value;
    }
    return std::nullopt;
}

const std::string* PropertyListValue::stringValue() const {
    return std::get_if<std::string>(&content_);
}

std::optional<PropertyListValue::Date> PropertyListValue::dateValue() const {
    if (const auto* value = std::get_if<Date>(&content_)) {
        return *value;
    }
    return std::nullopt;
}

const PropertyListValue::Data* PropertyListValue::dataValue() const {
    return std::get_if<Data>(&content_);
}

std::optional<PropertyListValue::Uid> PropertyListValue::uidValue() const {
    if (const auto* value = std::get_if<Uid>(&content_)) {
        return *value;
    }
    return std::nullopt;
}

const PropertyListValue::Array* PropertyListValue::arrayValue() const {
    if (const auto* value = std::get_if<Shared<Array>>(&content_)) {
        return value->value.get();
    }
    return nullptr;
}

const PropertyListValue::Dictionary* PropertyListValue::dictionaryValue() const {
    if (const auto* value = std::get_if<Shared<Dictionary>>(&content_)) {
        return value->value.get();
    }
    return nullptr;
}

namespace {

bool isStorableText(const std::string& text) {
    return text.find('\0') == std::string::npos && core::Text::utf8(core::Text::codePoints(text)) == text;
}

} // namespace

bool PropertyListValue::isStorable() const {
    if (const auto* text = stringValue()) {
        return isStorableText(*text);
    }
    if (auto uid = uidValue()) {
        return uid->value <= 0xFFFF'FFFFU;
    }
    if (const auto* array = arrayValue()) {
        return std::all_of(array->begin(), array->end(),
                           [](const auto& element) { return element.isStorable(); });
    }
    if (const auto* dictionary = dictionaryValue()) {
        return std::all_of(dictionary->begin(), dictionary->end(), [](const auto& entry) {
            return isStorableText(entry.first) && entry.second.isStorable();
        });
    }
    return true;
}

bool PropertyListValue::operator==(const PropertyListValue& other) const {
    return content_ == other.content_;
}

} // namespace pellacor::platform
