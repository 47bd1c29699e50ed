#include "RecordJson.h"

#include "core/Unicode.h"
#include "core/Windows1251.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace orlinda::cli {

namespace {

constexpr TRecordField<TNamedObject> baseFields[] = {
    {"FID", &TNamedObject::FID},
    {"FName", &TNamedObject::FName},
};

[[noreturn]] void ThrowFieldError(FieldPlace place, const std::string& message)
{
    ThrowRecordError(place.record, "key \"" + std::string(place.key) + "\" " + message);
}

const std::string& ExpectString(const Json& json, FieldPlace place)
{
    if (!json.is_string())
        ThrowFieldError(place, "must be a string");
    return json.get_ref<const std::string&>();
}

} // namespace

void ThrowRecordError(size_t record, const std::string& message)
{
    throw Error("record " + std::to_string(record) + ": " + message);
}

TRecordFields<TNamedObject> BaseFields()
{
    return baseFields;
}

Json ValueToJson(int32_t value)
{
    return value;
}

Json ValueToJson(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    return value;
}

Json ValueToJson(const std::string& value)
{
    return Utf16ToUtf8(Cp1251ToUtf16(value));
}

Json ValueToJson(const std::u16string& value)
{
    return Utf16ToUtf8(value);
}

void ValueFromJson(const Json& json, FieldPlace place, int32_t& value)
{
    constexpr int64_t low = std::numeric_limits<int32_t>::min();
    constexpr int64_t high = std::numeric_limits<int32_t>::max();
    if (json.is_number_unsigned()) {
        auto v = json.get<uint64_t>();
        if (v <= static_cast<uint64_t>(high)) {
            value = static_cast<int32_t>(v);
            return;
        }
    } else if (json.is_number_integer()) {
        auto v = json.get<int64_t>();
        if (v >= low && v <= high) {
            value = static_cast<int32_t>(v);
            return;
        }
    } else {
        ThrowFieldError(place, "must be an integer");
    }
    ThrowFieldError(place, "must be an integer from -2147483648 to 2147483647");
}

void ValueFromJson(const Json& json, FieldPlace place, double& value)
{
    if (json.is_number()) {
        value = json.get<double>();
        return;
    }
    if (json.is_string()) {
        const auto& s = json.get_ref<const std::string&>();
        if (s == "NaN") {
            value = std::numeric_limits<double>::quiet_NaN();
            return;
        }
        if (s == "Infinity" || s == "-Infinity") {
            value = s[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
            return;
        }
    }
    ThrowFieldError(place, "must be a number");
}

void ValueFromJson(const Json& json, FieldPlace place, std::string& value)
{
    std::u16string wide = Utf8ToUtf16(ExpectString(json, place));
    value.clear();
    value.reserve(wide.size());
    for (char16_t c : wide) {
        char b = Utf16CharToCp1251(c);
        if (b == '?' && c != u'?') {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
            ThrowFieldError(place, std::string("holds a character that Windows-1251 cannot store (") +
                                       (c >= 0xD800 && c <= 0xDFFF ? "beyond U+FFFF" : code) + ")");
        }
        value.push_back(b);
    }
}

void ValueFromJson(const Json& json, FieldPlace place, std::u16string& value)
{
    value = Utf8ToUtf16(ExpectString(json, place));
}

} // namespace orlinda::cli
