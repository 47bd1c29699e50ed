#pragma once
#include <cstdint>

namespace orlinda {

// The process-wide random generator of the program (record keys, section names, shuffles).
// Not for anything secret.
// Reseeds the generator from the clock.
void Randomize();
// A random integer in 0 … range - 1 (0 when range <= 0).
int32_t RandomInt(int32_t range);

} // namespace orlinda
