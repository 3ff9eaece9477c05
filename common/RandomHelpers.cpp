#include "common/RandomHelpers.h"

#include "platform/core/CRuntime.h"

void SeedRandom() { platform::srand(static_cast<unsigned int>(platform::clock())); }

uint32_t RandomInRange(uint32_t low, uint32_t high)
{
    if (low > high)
        return 0;
    if (low == high)
        return low;
    return static_cast<uint32_t>(platform::rand()) % (high - low) + low;
}
