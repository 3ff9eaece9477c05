// The framework's random-number generator: a 32-bit Mersenne twister
// (period 2^19937 - 1), seeded the way its authors' reference code seeds it
// from one 32-bit number, so a seed gives the same numbers as any other
// implementation of that generator. The application holds one, made with
// the seed 4357 and seeded again with the demo seed once it is initialised:
// it is there for a game on the framework whose chances should replay with
// a demo, since a played demo's generator starts where the recording's did.
// This game draws nothing from it: its cards and its opponents' choices come
// from the C runtime's generator (RandomInRange, SeedRandom).
//
// Threads: a plain value; whoever holds it keeps it to one thread.
#pragma once

#include <array>
#include <cstdint>

namespace Zolt {

class MersenneTwister {
public:
    static constexpr uint32_t kDefaultSeed = 4357;

    explicit MersenneTwister(uint32_t seed = kDefaultSeed) { Seed(seed); }

    // Starts the sequence of `seed` afresh.
    void Seed(uint32_t seed);
    // The next number of the sequence, 0 to 2^32 - 1.
    uint32_t Next();

private:
    static constexpr int kStateSize = 624;
    // Makes the next kStateSize numbers' state at once.
    void Twist();

    std::array<uint32_t, kStateSize> state_{};
    int index_ = kStateSize;
};

} // namespace Zolt
