// Reads arbitrary bytes as the UTF-8 of stored wide texts (with its Windows-1251
// fallback) and as outside UTF-8, and checks that what comes out survives the way back.
#include "core/Unicode.h"
#include "core/Utf8.h"
#include "core/Windows1251.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orlinda;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::u16string wide = Utf8DecodeWide(bytes);
    if (wide.size() > bytes.size())
        std::abort();
    if (Utf8DecodeWide(Utf8EncodeWide(wide)) != wide)
        std::abort();

    std::u16string strict = Utf8ToUtf16(bytes);
    std::string utf8 = Utf16ToUtf8(strict);
    if (Utf16ToUtf8(Utf8ToUtf16(utf8)) != utf8)
        std::abort();

    if (Utf16ToCp1251(Cp1251ToUtf16(bytes)) != bytes)
        std::abort();
    (void)Utf8ToCp1251(bytes);
    return 0;
}
