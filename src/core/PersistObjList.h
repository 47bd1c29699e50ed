#pragma once
#include "core/Stream.h"

#include <memory>
#include <string>
#include <vector>

namespace orlinda {

// An object that can write itself to a stream and read itself back.
class TPersistObj {
public:
    virtual ~TPersistObj() = default;
    virtual void SaveToStream(TStream& stream) const = 0;
    // Reads from the current position; an item of a TPersistObjList gets a stream that
    // holds exactly its own bytes.
    virtual void LoadFromStream(TStream& stream) = 0;
};

// An owning list of persistent objects whose item class comes from CreateItem.
//
// Its own stream form (used by lists that do not override the stream operations):
//   2 bytes   little-endian length of the count field, always 4
//   4 bytes   little-endian signed item count
//   per item  4-byte little-endian byte count, then the bytes the item's SaveToStream wrote
// Reading fails with Error ("Error reading data from stream...") on a wrong length field,
// a negative count or byte count, or a stream that ends early.
class TPersistObjList {
public:
    TPersistObjList() = default;
    virtual ~TPersistObjList() = default;
    TPersistObjList(const TPersistObjList&) = delete;
    TPersistObjList& operator=(const TPersistObjList&) = delete;

    // Copies through a memory stream: source.SaveToStream, then this->LoadFromStream.
    // Safe when source is this list.
    virtual void Assign(const TPersistObjList& source);
    virtual void SaveToStream(TStream& stream) const;
    // Replaces the items with those read from the stream.
    virtual void LoadFromStream(TStream& stream);
    // Appends CreateItem() and returns it.
    virtual TPersistObj* AddNew();
    // A new, empty item of the list's item class.
    virtual std::unique_ptr<TPersistObj> CreateItem() = 0;

    int Count() const { return static_cast<int>(FItems.size()); }
    // The item, or null when index is out of range.
    TPersistObj* Item(int index) const;
    // Appends an item (null is ignored) and returns it.
    TPersistObj* Add(std::unique_ptr<TPersistObj> item);
    // Removes and destroys the item; an index out of range does nothing.
    void Delete(int index);
    void Clear() { FItems.clear(); }
    // Clear, then AddNew n times.
    void SetCount(int n);

    // The file is written atomically: a failed save leaves the previous file as it was.
    void SaveToFile(const std::string& fileName) const;
    void LoadFromFile(const std::string& fileName);

protected:
    std::vector<std::unique_ptr<TPersistObj>> FItems;
};

} // namespace orlinda
