// Small numeric helpers of the effects, kept where every kind can reach them.
//
// Threads: plain functions, any thread.
#pragma once

#include <climits>
#include <cmath>

namespace EffectLibrary {

// Truncation toward zero, as a cast would do, but defined for every input:
// values beyond the int range stick at its ends and NaN gives 0.
inline int TruncToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace EffectLibrary
