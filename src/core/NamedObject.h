#pragma once
#include "core/Stream.h"

#include <cstdint>
#include <string>

namespace orlinda {

class TNamedObjectList;

// The base of every record: an identifier, a key text and seven virtual operations.
//
// Writing a record class (see model/ for the real ones):
//
//   class TThing : public TNamedObject {
//   public:
//       TThing() { TThing::Clear(); }          // each constructor calls its own Clear
//       void Clear() override { TNamedObject::Clear(); FCount = 0; }
//       void Assign(const TNamedObject* source) override {
//           TNamedObject::Assign(source);       // the four base fields from any object
//           if (auto* s = dynamic_cast<const TThing*>(source)) FCount = s->FCount;
//       }
//       int64_t GetStreamSize() const override { return TNamedObject::GetStreamSize() + IntegerStreamSize; }
//       void SaveToStream(TStream& s) const override { TNamedObject::SaveToStream(s); WriteInteger(s, FCount); }
//       void LoadFromStream(TStream& s) override { TNamedObject::LoadFromStream(s); FCount = ReadInteger(s); }
//       int32_t FCount;
//   };
//
// A base constructor cannot reach a descendant's Clear, so every descendant's
// constructor calls its own Clear to start with its defaults; the base constructor
// calls TNamedObject::Clear.
//
// Records are not copyable: copy one with Assign (which also copies FOwner, FID and FData,
// so a copy keeps pointing at its list and view node).
class TNamedObject {
public:
    TNamedObject();
    virtual ~TNamedObject() = default;
    TNamedObject(const TNamedObject&) = delete;
    TNamedObject& operator=(const TNamedObject&) = delete;

    // 1. FID := -1, FName := "", FData := null; FOwner is not touched.
    //    Descendants call the base first, then reset their own fields.
    virtual void Clear();
    // 2. Null does nothing. Copies FOwner, FID, FName and FData from any named object;
    //    descendants then copy their own fields when source is of their class.
    virtual void Assign(const TNamedObject* source);
    // 3. Bytes SaveToStream writes: 9 + AnsiStreamSize(FName) for the base.
    virtual int64_t GetStreamSize() const;
    // 4. FID (integer), FName (8-bit string), then the descendant's fields.
    virtual void SaveToStream(TStream& stream) const;
    // 5. The same fields in the same order.
    virtual void LoadFromStream(TStream& stream);
    // 6. The file holds exactly SaveToStream's bytes; written atomically.
    virtual void SaveToFile(const std::string& fileName) const;
    // 7. Reads the file (others may not write meanwhile) with LoadFromStream.
    virtual void LoadFromFile(const std::string& fileName);

    // The list that holds the object; null when free-standing.
    TNamedObjectList* FOwner = nullptr;
    int32_t FID = -1;
    std::string FName;
    // The view node that shows the object; never saved.
    void* FData = nullptr;
};

} // namespace orlinda
