// Unescaping of stored values: any bytes, both forms.
#include "core/ValueEscaping.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orlinda;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string value = UnescapeValue(bytes);
    // Never longer than the stored text, and escaping any bytes reads back exactly.
    if (value.size() > bytes.size())
        std::abort();
    if (UnescapeValue(EscapeValue(bytes)) != bytes)
        std::abort();
    return 0;
}
