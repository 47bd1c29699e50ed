#pragma once
// Records as JSON objects and back, driven by each record class's field table
// (model/RecordFields.h): the keys are the field names in stream order, FID and FName
// first. Integers are JSON integers, reals JSON numbers (the non-finite ones, which JSON
// cannot hold, the strings "NaN", "Infinity" and "-Infinity"), 8-bit texts are decoded from
// Windows-1251 and wide texts from UTF-16, both written as UTF-8.
#include "FileKinds.h"

#include "core/Error.h"
#include "core/FileStream.h"
#include "core/NamedObject.h"
#include "core/TypedStream.h"
#include "model/RecordFields.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

namespace orlinda::cli {

// Where a value came from, for error messages: record index (from 0) and key.
struct FieldPlace {
    size_t record;
    const char* key;
};

Json ValueToJson(int32_t value);
Json ValueToJson(double value);
Json ValueToJson(const std::string& value);    // 8-bit text, Windows-1251
Json ValueToJson(const std::u16string& value); // wide text

// Raise Error "record N: key "K" must be ..." for a value of the wrong type or range.
void ValueFromJson(const Json& json, FieldPlace place, int32_t& value);
void ValueFromJson(const Json& json, FieldPlace place, double& value);
void ValueFromJson(const Json& json, FieldPlace place, std::string& value);
void ValueFromJson(const Json& json, FieldPlace place, std::u16string& value);

[[noreturn]] void ThrowRecordError(size_t record, const std::string& message);

// FID and FName, the fields every record starts with.
TRecordFields<TNamedObject> BaseFields();

template <class R>
void FieldsToJson(const R& record, TRecordFields<R> fields, Json& object)
{
    for (const auto& f : fields)
        std::visit([&](auto m) { object[f.name] = ValueToJson(record.*m); }, f.member);
}

template <class R>
void FieldsFromJson(const Json& object, size_t index, TRecordFields<R> fields, R& record)
{
    for (const auto& f : fields) {
        auto it = object.find(f.name);
        if (it != object.end())
            std::visit([&](auto m) { ValueFromJson(*it, FieldPlace{index, f.name}, record.*m); }, f.member);
    }
}

template <class R>
bool HasField(TRecordFields<R> fields, const std::string& name)
{
    for (const auto& f : fields)
        if (name == f.name)
            return true;
    return false;
}

// The record as a JSON object, keys in stream order.
template <class R>
Json RecordToJson(const R& record)
{
    Json object = Json::object();
    FieldsToJson<TNamedObject>(record, BaseFields(), object);
    FieldsToJson<R>(record, R::Fields(), object);
    return object;
}

// Fills a cleared record from a JSON object: missing keys keep their cleared values;
// unknown keys and values of the wrong type raise Error naming the record and the key.
template <class R>
void RecordFromJson(const Json& object, size_t index, R& record)
{
    if (!object.is_object())
        ThrowRecordError(index, "must be a JSON object");
    for (const auto& item : object.items())
        if (!HasField<TNamedObject>(BaseFields(), item.key()) && !HasField<R>(R::Fields(), item.key()))
            ThrowRecordError(index, "unknown key \"" + item.key() + "\"");
    FieldsFromJson<TNamedObject>(object, index, BaseFields(), record);
    FieldsFromJson<R>(object, index, R::Fields(), record);
}

// A data file read into a record list of class List (TIdentityList, ...) record by record
// until its end. A file that fails part way gives the records before the failure and the
// reader's message. Failing to open the file raises Error.
template <class List>
DumpResult DumpRecordFile(const std::string& fileName)
{
    TBytesReadStream stream(ReadWholeFile(fileName));
    List list;
    DumpResult result;
    try {
        list.LoadFromStream(stream);
    } catch (const Error& e) {
        result.error = e.what();
    }
    result.json = Json::array();
    for (int i = 0; i < list.Count(); ++i)
        result.json.push_back(RecordToJson(*list.Get(i)));
    return result;
}

// The bytes of a data file of records of class R from a JSON array of records.
template <class R>
std::string BuildRecordFile(const Json& json)
{
    if (!json.is_array())
        throw Error("the JSON must be an array of records");
    TBytesWriteStream stream;
    for (size_t i = 0; i < json.size(); ++i) {
        R record;
        RecordFromJson(json[i], i, record);
        record.SaveToStream(stream);
    }
    return stream.TakeBytes();
}

} // namespace orlinda::cli
