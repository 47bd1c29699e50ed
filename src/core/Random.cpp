#include "core/Random.h"

#include <chrono>
#include <mutex>
#include <random>

namespace orlinda {

namespace {
std::mutex mutex;
std::mt19937& Generator()
{
    static std::mt19937 generator{std::random_device{}()};
    return generator;
}
} // namespace

void Randomize()
{
    std::lock_guard lock(mutex);
    auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    static uint32_t salt = 0;
    Generator().seed(static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(ticks >> 32) ^ (++salt * 0x9E3779B9u));
}

int32_t RandomInt(int32_t range)
{
    if (range <= 0)
        return 0;
    std::lock_guard lock(mutex);
    return static_cast<int32_t>(std::uniform_int_distribution<int32_t>(0, range - 1)(Generator()));
}

} // namespace orlinda
