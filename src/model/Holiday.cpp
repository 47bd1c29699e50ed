#include "model/Holiday.h"

#include "core/OptionsList.h"

namespace orlinda {

namespace {

constexpr TRecordField<THoliday> fields[] = {
    {"FTitle", &THoliday::FTitle},
    {"FRule", &THoliday::FRule},
    {"FDate", &THoliday::FDate},
    {"FCategories", &THoliday::FCategories},
    {"FHidden", &THoliday::FHidden},
    {"FSex", &THoliday::FSex},
    {"FCountries", &THoliday::FCountries},
    {"FReservedText", &THoliday::FReservedText},
    {"FOptions", &THoliday::FOptions},
};

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

bool HasListKey(const std::string& list, const std::string& key)
{
    std::string_view rest = list;
    for (;;) {
        size_t comma = rest.find(',');
        if (SameKey(TrimBlanks(rest.substr(0, comma)), TrimBlanks(key)))
            return true;
        if (comma == std::string_view::npos)
            return false;
        rest.remove_prefix(comma + 1);
    }
}

THoliday::THoliday()
{
    THoliday::Clear();
}

TRecordFields<THoliday> THoliday::Fields()
{
    return fields;
}

void THoliday::Clear()
{
    TNamedObject::Clear();
    ClearFields(*this, Fields());
}

void THoliday::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const THoliday*>(source))
        AssignFields(*this, *s, Fields());
}

int64_t THoliday::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + FieldsStreamSize(*this, Fields());
}

void THoliday::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    SaveFields(*this, Fields(), stream);
}

void THoliday::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    LoadFields(*this, Fields(), stream);
}

bool THoliday::HasCategory(const std::string& key) const
{
    return HasListKey(FCategories, key);
}

bool THoliday::HasCountry(const std::string& key) const
{
    return HasListKey(FCountries, key);
}

std::string THoliday::ServiceUID() const
{
    TOptionsList options;
    options.SetText(FOptions);
    std::string uid = options.GetValue(HolidayKeys::UID);
    return uid.empty() ? std::to_string(FID) : uid;
}

} // namespace orlinda
