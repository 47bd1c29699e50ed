#include "core/PersistObjList.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"

namespace orlinda {

namespace {

const char* const readError = "Error reading data from stream";
const char* const writeError = "Error writing data to stream";

void Put(TStream& stream, const void* data, int64_t count)
{
    if (count > 0 && stream.Write(data, count) != count)
        throw Error(writeError);
}

void Get(TStream& stream, void* data, int64_t count)
{
    if (count > 0 && stream.Read(data, count) != count)
        throw Error(readError);
}

void PutInt32(TStream& stream, int32_t value)
{
    auto v = static_cast<uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    Put(stream, b, 4);
}

int32_t GetInt32(TStream& stream)
{
    unsigned char b[4];
    Get(stream, b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

int64_t BytesLeft(TStream& stream)
{
    int64_t size = stream.Size();
    int64_t position = stream.Position();
    return size < 0 || position < 0 ? 0 : size - position;
}

} // namespace

void TPersistObjList::Assign(const TPersistObjList& source)
{
    TMemoryStream buffer;
    source.SaveToStream(buffer);
    buffer.SetPosition(0);
    LoadFromStream(buffer);
}

void TPersistObjList::SaveToStream(TStream& stream) const
{
    if (FItems.size() > static_cast<size_t>(INT32_MAX))
        throw Error(writeError);
    const unsigned char countLength[2] = {4, 0};
    Put(stream, countLength, 2);
    PutInt32(stream, static_cast<int32_t>(FItems.size()));
    TMemoryStream item;
    for (const auto& p : FItems) {
        item.Clear();
        p->SaveToStream(item);
        if (item.Size() > INT32_MAX)
            throw Error(writeError);
        PutInt32(stream, static_cast<int32_t>(item.Size()));
        Put(stream, item.Data(), item.Size());
    }
}

void TPersistObjList::LoadFromStream(TStream& stream)
{
    Clear();
    unsigned char countLength[2];
    Get(stream, countLength, 2);
    if (countLength[0] != 4 || countLength[1] != 0)
        throw Error("Error reading data from stream. Incorrect data size.");
    const int32_t count = GetInt32(stream);
    if (count < 0)
        throw Error(readError);
    std::string bytes;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t size = GetInt32(stream);
        if (size < 0 || size > BytesLeft(stream))
            throw Error(readError);
        bytes.resize(static_cast<size_t>(size));
        Get(stream, bytes.data(), size);
        TMemoryStream itemStream;
        itemStream.Write(bytes.data(), size);
        itemStream.SetPosition(0);
        auto item = CreateItem();
        item->LoadFromStream(itemStream);
        Add(std::move(item));
    }
}

TPersistObj* TPersistObjList::AddNew()
{
    return Add(CreateItem());
}

TPersistObj* TPersistObjList::Item(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return FItems[static_cast<size_t>(index)].get();
}

TPersistObj* TPersistObjList::Add(std::unique_ptr<TPersistObj> item)
{
    if (!item)
        return nullptr;
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TPersistObjList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
}

void TPersistObjList::SetCount(int n)
{
    Clear();
    for (int i = 0; i < n; ++i)
        AddNew();
}

void TPersistObjList::SaveToFile(const std::string& fileName) const
{
    TMemoryStream buffer;
    SaveToStream(buffer);
    WriteFileAtomic(fileName, buffer.DataString());
}

void TPersistObjList::LoadFromFile(const std::string& fileName)
{
    TMemoryStream buffer;
    buffer.LoadFromFile(fileName);
    LoadFromStream(buffer);
}

} // namespace orlinda
