#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

// MD5 of the bytes as 32 upper-case hexadecimal digits.
std::string Md5Hex(const std::string& bytes);
// IEEE 802.3 CRC-32 of the bytes, as a signed 32-bit integer.
int32_t Crc32(const std::string& bytes);

} // namespace orlinda
