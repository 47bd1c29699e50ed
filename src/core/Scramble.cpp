#include "core/Scramble.h"

#include "core/Base64.h"

namespace orlinda {

namespace {
std::string XorWithKey(std::string bytes, const std::string& key)
{
    if (key.empty())
        return bytes;
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key[i % key.size()]);
    return bytes;
}
} // namespace

std::string Scramble(const std::string& text, const std::string& key)
{
    return Base64Encode(XorWithKey(text, key));
}

std::string Unscramble(const std::string& text, const std::string& key)
{
    return XorWithKey(Base64Decode(text), key);
}

} // namespace orlinda
