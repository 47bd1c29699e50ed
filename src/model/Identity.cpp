#include "model/Identity.h"

#include "core/Digest.h"
#include "core/OptionsList.h"
#include "core/TextUtils.h"
#include "core/Utf8.h"

namespace orlinda {

namespace {

constexpr TRecordField<TIdentity> fields[] = {
    {"FDisplayName", &TIdentity::FDisplayName},
    {"FSex", &TIdentity::FSex},
    {"FBirthday", &TIdentity::FBirthday},
    {"FMarriageDate", &TIdentity::FMarriageDate},
    {"FMarriageCongrat", &TIdentity::FMarriageCongrat},
    {"FSpouse", &TIdentity::FSpouse},
    {"FHolidays", &TIdentity::FHolidays},
    {"FEmail", &TIdentity::FEmail},
    {"FReserved1", &TIdentity::FReserved1},
    {"FReserved2", &TIdentity::FReserved2},
    {"FReserved3", &TIdentity::FReserved3},
    {"FReserved4", &TIdentity::FReserved4},
    {"FOptions", &TIdentity::FOptions},
};

// The mark of a greeted holiday in FHolidays.
constexpr const char* GreetMark = "+";

} // namespace

int32_t IdentityCRC(const std::u16string& displayName)
{
    return Crc32(Utf8EncodeWide(TrimWide(displayName)));
}

TIdentity::TIdentity()
{
    TIdentity::Clear();
}

TRecordFields<TIdentity> TIdentity::Fields()
{
    return fields;
}

void TIdentity::Clear()
{
    TNamedObject::Clear();
    ClearFields(*this, Fields());
}

void TIdentity::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const TIdentity*>(source))
        AssignFields(*this, *s, Fields());
}

int64_t TIdentity::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + FieldsStreamSize(*this, Fields());
}

void TIdentity::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    SaveFields(*this, Fields(), stream);
}

void TIdentity::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    LoadFields(*this, Fields(), stream);
}

bool TIdentity::GreetsOnHoliday(int32_t holidayNumber) const
{
    TOptionsList holidays;
    holidays.SetText(FHolidays);
    return holidays.GetValue(std::to_string(holidayNumber)) == GreetMark;
}

void TIdentity::SetGreetsOnHoliday(int32_t holidayNumber, bool greet)
{
    TOptionsList holidays;
    holidays.SetText(FHolidays);
    holidays.SetValue(std::to_string(holidayNumber), greet ? GreetMark : "");
    FHolidays = holidays.Text();
}

std::string TIdentity::Option(const char* key) const
{
    TOptionsList options;
    options.SetText(FOptions);
    return options.GetValue(key);
}

int32_t TIdentity::IntOption(const char* key) const
{
    TOptionsList options;
    options.SetText(FOptions);
    return options.GetInt(key, 0);
}

void TIdentity::SetOption(const char* key, const std::string& value)
{
    TOptionsList options;
    options.SetText(FOptions);
    options.SetValue(key, value);
    FOptions = options.Text();
}

void TIdentity::SetIntOption(const char* key, int32_t value)
{
    SetOption(key, std::to_string(value));
}

} // namespace orlinda
