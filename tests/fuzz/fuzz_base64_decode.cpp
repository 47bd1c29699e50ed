// Decodes arbitrary text with the lenient Base64 decoder and the password unscrambler,
// and checks that the decoded bytes encode and decode back unchanged.
#include "core/Base64.h"
#include "core/Scramble.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orlinda;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string bytes = Base64Decode(text);
    if (bytes.size() > text.size())
        std::abort();
    if (Base64Decode(Base64Encode(bytes)) != bytes)
        std::abort();

    std::string plain = Unscramble(text, kPasswordKey);
    if (Unscramble(Scramble(plain, kPasswordKey), kPasswordKey) != plain)
        std::abort();
    return 0;
}
