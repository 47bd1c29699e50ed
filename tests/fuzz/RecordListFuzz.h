#pragma once
// Shared body of the record-file fuzz targets: loads arbitrary bytes into a record list
// through a memory stream, then checks that whatever loaded saves and loads back unchanged.
#include "core/Error.h"
#include "core/MemoryStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace orlinda::fuzz {

template <class List>
int LoadRecordList(const uint8_t* data, size_t size)
{
    TMemoryStream in;
    in.Write(data, static_cast<int64_t>(size));
    in.SetPosition(0);

    List list;
    try {
        list.LoadFromStream(in);
    } catch (const Error&) {
        // A damaged file keeps the records read before the damage.
    }

    TMemoryStream saved;
    list.SaveToStream(saved);
    if (saved.Size() != list.GetStreamSize())
        std::abort();
    // The records read are exactly the bytes they came from.
    if (saved.Size() > static_cast<int64_t>(size))
        std::abort();
    if (saved.DataString() != std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(saved.Size())))
        std::abort();

    saved.SetPosition(0);
    List again;
    if (again.LoadFromStream(saved) != list.Count())
        std::abort();
    return 0;
}

} // namespace orlinda::fuzz
