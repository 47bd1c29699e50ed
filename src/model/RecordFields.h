#pragma once
// The stored fields of a record class, described once as a table in stream order. The
// record's Clear, Assign, GetStreamSize, SaveToStream and LoadFromStream walk the table,
// and so do the readers of other forms of the records (orlinda-cli's JSON), so the order
// and the types of the fields live in one place per record.
#include "core/Stream.h"
#include "core/TypedStream.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace orlinda {

// The four value types of the typed stream, in the order of TRecordField::Member.
enum class TFieldType : uint8_t { Integer = 0, Real = 1, Ansi = 2, Wide = 3 };

// One stored field of a record class R: its name (the "F" name, which is also its key in
// the record's option and JSON forms) and the member that holds it.
template <class R>
struct TRecordField {
    using Member = std::variant<int32_t R::*, double R::*, std::string R::*, std::u16string R::*>;

    const char* name;
    Member member;

    TFieldType Type() const { return static_cast<TFieldType>(member.index()); }
};

// A record class's own fields, those that follow FID and FName in the stream.
template <class R>
using TRecordFields = std::span<const TRecordField<R>>;

template <class R>
void ClearFields(R& record, TRecordFields<R> fields)
{
    for (const auto& f : fields)
        std::visit([&](auto m) { record.*m = {}; }, f.member);
}

template <class R>
void AssignFields(R& record, const R& source, TRecordFields<R> fields)
{
    for (const auto& f : fields)
        std::visit([&](auto m) { record.*m = source.*m; }, f.member);
}

namespace detail {
inline int64_t ValueStreamSize(int32_t) { return IntegerStreamSize; }
inline int64_t ValueStreamSize(double) { return DoubleStreamSize; }
inline int64_t ValueStreamSize(const std::string& v) { return AnsiStreamSize(v); }
inline int64_t ValueStreamSize(const std::u16string& v) { return WideStreamSize(v); }

inline void WriteValue(TStream& s, int32_t v) { WriteInteger(s, v); }
inline void WriteValue(TStream& s, double v) { WriteDouble(s, v); }
inline void WriteValue(TStream& s, const std::string& v) { WriteAnsiString(s, v); }
inline void WriteValue(TStream& s, const std::u16string& v) { WriteWideString(s, v); }

inline void ReadValue(TStream& s, int32_t& v) { v = ReadInteger(s); }
inline void ReadValue(TStream& s, double& v) { v = ReadDouble(s); }
inline void ReadValue(TStream& s, std::string& v) { v = ReadAnsiString(s); }
inline void ReadValue(TStream& s, std::u16string& v) { v = ReadWideString(s); }
} // namespace detail

template <class R>
int64_t FieldsStreamSize(const R& record, TRecordFields<R> fields)
{
    int64_t size = 0;
    for (const auto& f : fields)
        std::visit([&](auto m) { size += detail::ValueStreamSize(record.*m); }, f.member);
    return size;
}

template <class R>
void SaveFields(const R& record, TRecordFields<R> fields, TStream& stream)
{
    for (const auto& f : fields)
        std::visit([&](auto m) { detail::WriteValue(stream, record.*m); }, f.member);
}

// Stops at the first value that fails, with its Error; the fields read before it keep
// their new values.
template <class R>
void LoadFields(R& record, TRecordFields<R> fields, TStream& stream)
{
    for (const auto& f : fields)
        std::visit([&](auto m) { detail::ReadValue(stream, record.*m); }, f.member);
}

} // namespace orlinda
