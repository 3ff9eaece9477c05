// The parts of the Windows C runtime whose exact results the program depends
// on: shuffles and demo replays are reproducible only with the same random
// sequence and the same process clock. Also the runtime's functions that the
// C++ library lacks (case-insensitive comparison, thread-safe local time), so
// that no code above the platform calls their POSIX namesakes.
//
// Threads: every function may be called from any thread.
#pragma once

#include <ctime>

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

namespace testing {
// The calling thread's generator state, which srand sets back: a test that
// puts a step of its own between two of the program's keeps the numbers the
// program draws afterwards as they would have been without it.
unsigned int RandState();
} // namespace testing

// Milliseconds of the platform clock since the process started; installing a
// manual clock does not make it jump. On the thread that installed a clock
// relay, each reading passes through it first.
long clock();
// A relay for clock() readings (null: none): the application's demo records
// each reading its main thread takes and gives the recorded ones back in
// playback, so that what is seeded from the clock comes out the same.
// Readings on other threads stay live: their order against the recording
// is not fixed.
using ClockRelay = long (*)(long reading);
void SetClockRelay(ClockRelay relay);
// Makes "now" the process start for clock() (tests that install a manual
// clock call it so that clock() starts from 0).
void ResetProcessClock();

// _stricmp: compares as if ASCII letters were lower case; < 0, 0 or > 0.
int stricmp(const char* a, const char* b);
// localtime_s: the local calendar time of *time into *out; 0, or EINVAL
// (with *out cleared when it can be) when either is null or the time
// cannot be converted.
int localtime_s(std::tm* out, const std::time_t* time);

} // namespace platform
