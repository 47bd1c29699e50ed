#include "core/Digest.h"

#include "core/Error.h"

#include <memory>
#include <openssl/evp.h>
#include <zlib.h>

namespace orlinda {

std::string Md5Hex(const std::string& bytes)
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(ctx.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1)
        throw Error("MD5 digest is not available.");
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        out.push_back(kHex[digest[i] >> 4]);
        out.push_back(kHex[digest[i] & 15]);
    }
    return out;
}

int32_t Crc32(const std::string& bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* p = reinterpret_cast<const Bytef*>(bytes.data());
    size_t left = bytes.size();
    while (left > 0) {
        auto chunk = static_cast<uInt>(left > 0x40000000u ? 0x40000000u : left);
        crc = crc32(crc, p, chunk);
        p += chunk;
        left -= chunk;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(crc));
}

} // namespace orlinda
