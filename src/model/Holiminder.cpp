#include "model/Holiminder.h"

namespace orlinda {

namespace {

constexpr TRecordField<THoliminder> fields[] = {
    {"FTitle", &THoliminder::FTitle},
    {"FDate", &THoliminder::FDate},
    {"FNotifyAt", &THoliminder::FNotifyAt},
    {"FCountries", &THoliminder::FCountries},
    {"FCategories", &THoliminder::FCategories},
    {"FRecipients", &THoliminder::FRecipients},
    {"FNames", &THoliminder::FNames},
    {"FReserved1", &THoliminder::FReserved1},
    {"FReserved2", &THoliminder::FReserved2},
};

} // namespace

THoliminder::THoliminder()
{
    THoliminder::Clear();
}

TRecordFields<THoliminder> THoliminder::Fields()
{
    return fields;
}

void THoliminder::Clear()
{
    TNamedObject::Clear();
    ClearFields(*this, Fields());
}

void THoliminder::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const THoliminder*>(source))
        AssignFields(*this, *s, Fields());
}

int64_t THoliminder::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + FieldsStreamSize(*this, Fields());
}

void THoliminder::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    SaveFields(*this, Fields(), stream);
}

void THoliminder::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    LoadFields(*this, Fields(), stream);
}

} // namespace orlinda
