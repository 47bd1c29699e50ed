#include "model/Reminder.h"

#include <algorithm>
#include <charconv>

namespace orlinda {

namespace {

constexpr TRecordField<TReminder> fields[] = {
    {"FText", &TReminder::FText},
    {"FStart", &TReminder::FStart},
    {"FNext", &TReminder::FNext},
    {"FEnabled", &TReminder::FEnabled},
    {"FKind", &TReminder::FKind},
    {"FWeekDays", &TReminder::FWeekDays},
    {"FReservedInt", &TReminder::FReservedInt},
    {"FSound", &TReminder::FSound},
    {"FReserved1", &TReminder::FReserved1},
    {"FReserved2", &TReminder::FReserved2},
};

// Decimal integer with an optional sign and nothing else; false otherwise.
bool ParseInt(const std::string& text, int32_t& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    auto [p, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && p == end && begin != end;
}

} // namespace

TReminder::TReminder()
{
    TReminder::Clear();
}

TRecordFields<TReminder> TReminder::Fields()
{
    return fields;
}

void TReminder::Clear()
{
    TNamedObject::Clear();
    ClearFields(*this, Fields());
}

void TReminder::Assign(const TNamedObject* source)
{
    TNamedObject::Assign(source);
    if (auto* s = dynamic_cast<const TReminder*>(source))
        AssignFields(*this, *s, Fields());
}

int64_t TReminder::GetStreamSize() const
{
    return TNamedObject::GetStreamSize() + FieldsStreamSize(*this, Fields());
}

void TReminder::SaveToStream(TStream& stream) const
{
    TNamedObject::SaveToStream(stream);
    SaveFields(*this, Fields(), stream);
}

void TReminder::LoadFromStream(TStream& stream)
{
    TNamedObject::LoadFromStream(stream);
    LoadFields(*this, Fields(), stream);
}

bool TReminder::HasWeekDay(int weekDay) const
{
    return weekDay >= 1 && weekDay <= 7 && FWeekDays.find(static_cast<char>('0' + weekDay)) != std::string::npos;
}

TSoundSetting TSoundSetting::Parse(const std::string& text)
{
    TSoundSetting s;
    std::string parts[3];
    size_t start = 0;
    for (auto& part : parts) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) {
            part = text.substr(std::min(start, text.size()));
            start = text.size() + 1;
            break;
        }
        part = text.substr(start, bar - start);
        start = bar + 1;
    }
    // Everything after the third bar is the file, so a path with "|" survives.
    if (start <= text.size())
        s.file = text.substr(start);
    s.enabled = parts[0] == "1";
    if (!ParseInt(parts[1], s.plays))
        s.plays = 1;
    if (!ParseInt(parts[2], s.pause) || s.pause < 0)
        s.pause = 10;
    return s;
}

std::string TSoundSetting::Text() const
{
    return std::string(enabled ? "1" : "0") + "|" + std::to_string(plays) + "|" + std::to_string(pause) + "|" + file;
}

} // namespace orlinda
