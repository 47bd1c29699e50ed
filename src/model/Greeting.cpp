#include "model/Greeting.h"

#include "core/OptionsList.h"
#include "core/Utf8.h"

namespace orlinda {

namespace {

constexpr TRecordField<TGreeting> fields[] = {
    {"FWishID", &TGreeting::FWishID},
    {"FHolidayID", &TGreeting::FHolidayID},
    {"FIdentityCRC", &TGreeting::FIdentityCRC},
    {"FText", &TGreeting::FText},
    {"FSubject", &TGreeting::FSubject},
    {"FRecipient", &TGreeting::FRecipient},
    {"FSender", &TGreeting::FSender},
    {"FType", &TGreeting::FType},
    {"FStatus", &TGreeting::FStatus},
    {"FDate", &TGreeting::FDate},
    {"FErrorStr", &TGreeting::FErrorStr},
    {"FOptions", &TGreeting::FOptions},
};

} // namespace

TGreeting::TGreeting()
{
    TGreeting::Clear();
}

TRecordFields<TGreeting> TGreeting::Fields()
{
    return fields;
}

void TGreeting::Clear()
{
    TNamedObject::Clear();
    ClearFields(*this, Fields());
}

void TGreeting::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const TGreeting*>(source))
        AssignFields(*this, *s, Fields());
}

int64_t TGreeting::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + FieldsStreamSize(*this, Fields());
}

void TGreeting::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    SaveFields(*this, Fields(), stream);
}

void TGreeting::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    LoadFields(*this, Fields(), stream);
}

void TGreeting::ToOptions(TOptionsList* options) const
{
    if (!options)
        return;
    options->SetValue("FWishID", std::to_string(FWishID));
    options->SetValue("FHolidayID", std::to_string(FHolidayID));
    options->SetValue("FIdentityCRC", std::to_string(FIdentityCRC));
    options->SetValue("FText", Utf8EncodeWide(FText));
    options->SetValue("FSubject", Utf8EncodeWide(FSubject));
    options->SetValue("FRecipient", FRecipient);
    options->SetValue("FSender", FSender);
    options->SetValue("FType", std::to_string(FType));
    options->SetValue("FStatus", std::to_string(FStatus));
    options->SetValue("FDate", FormatIsoDateTime(FDate));
    options->SetValue("FErrorStr", FErrorStr);
    options->SetValue("FOptions", FOptions);
}

} // namespace orlinda
