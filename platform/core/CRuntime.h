// The parts of the Windows C runtime whose exact results the program depends
// on: shuffles and demo replays are reproducible only with the same random
// sequence and the same process clock.
#pragma once

namespace platform {

// Not named RAND_MAX / CLOCKS_PER_SEC: those are macros of the C library
// (with other values: 2147483647 and 1000000 here), which would replace any
// name of ours. Scale platform::rand() by kRandMax, never by RAND_MAX.
constexpr int kRandMax = 0x7FFF;
constexpr long kClocksPerSecond = 1000;

// The Windows generator: state = state * 214013 + 2531011 (mod 2^32), result
// bits 16..30. Each thread has its own state, starting at 1.
int rand();
void srand(unsigned int seed);

// Milliseconds of the platform clock since the process started; installing a
// manual clock does not make it jump.
long clock();
// Makes "now" the process start for clock() (tests that install a manual
// clock call it so that clock() starts from 0).
void ResetProcessClock();

} // namespace platform
