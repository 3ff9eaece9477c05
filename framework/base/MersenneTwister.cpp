#include "framework/base/MersenneTwister.h"

namespace Zolt {

namespace {

constexpr int kShift = 397;
constexpr uint32_t kTwistMatrix = 0x9908B0DFu;
constexpr uint32_t kUpperBit = 0x80000000u;
constexpr uint32_t kLowerBits = 0x7FFFFFFFu;

} // namespace

void MersenneTwister::Seed(uint32_t seed)
{
    state_[0] = seed;
    for (int i = 1; i < kStateSize; ++i) {
        const uint32_t previous = state_[i - 1];
        state_[i] = 1812433253u * (previous ^ (previous >> 30)) + uint32_t(i);
    }
    index_ = kStateSize;
}

void MersenneTwister::Twist()
{
    for (int i = 0; i < kStateSize; ++i) {
        const uint32_t joined = (state_[i] & kUpperBit) | (state_[(i + 1) % kStateSize] & kLowerBits);
        uint32_t next = state_[(i + kShift) % kStateSize] ^ (joined >> 1);
        if (joined & 1u)
            next ^= kTwistMatrix;
        state_[i] = next;
    }
    index_ = 0;
}

uint32_t MersenneTwister::Next()
{
    if (index_ >= kStateSize)
        Twist();
    uint32_t y = state_[index_++];
    // Tempering: spreads the state's bits over the whole output.
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

} // namespace Zolt
