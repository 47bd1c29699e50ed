#include "core/NamedObject.h"

#include "core/AtomicFile.h"
#include "core/FileStream.h"
#include "core/TypedStream.h"

namespace orlinda {

TNamedObject::TNamedObject()
{
    TNamedObject::Clear();
    FOwner = nullptr;
}

void TNamedObject::Clear()
{
    FID = -1;
    FName.clear();
    FData = nullptr;
}

void TNamedObject::Assign(const TNamedObject* source)
{
    if (!source || source == this)
        return;
    FOwner = source->FOwner;
    FID = source->FID;
    FName = source->FName;
    FData = source->FData;
}

int64_t TNamedObject::GetStreamSize() const
{
    return IntegerStreamSize + AnsiStreamSize(FName);
}

void TNamedObject::SaveToStream(TStream& stream) const
{
    WriteInteger(stream, FID);
    WriteAnsiString(stream, FName);
}

void TNamedObject::LoadFromStream(TStream& stream)
{
    FID = ReadInteger(stream);
    FName = ReadAnsiString(stream);
}

void TNamedObject::SaveToFile(const std::string& fileName) const
{
    TBytesWriteStream buffer;
    buffer.Reserve(GetStreamSize());
    SaveToStream(buffer);
    WriteFileAtomic(fileName, buffer.Bytes());
}

void TNamedObject::LoadFromFile(const std::string& fileName)
{
    TBytesReadStream stream(ReadWholeFile(fileName));
    LoadFromStream(stream);
}

} // namespace orlinda
