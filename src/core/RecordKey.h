#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

// A fresh record key from today's date and a random number (the generator is reseeded
// from the clock on each call). Keys are not tested for uniqueness.
std::string NewRecordKey();

// The key of a date and a random number in 0 ... 0xFFFFE, in upper-case hexadecimal:
// year modulo 1000 (at least 3 digits), month (at least 1), day (at least 2), random
// number (at least 4). 2026-12-09 with 0x2B7 gives "01AC0902B7".
std::string FormatRecordKey(int year, int month, int day, int32_t random);

} // namespace orlinda
