// The game's one source of chance: the deck's shuffle and the computer
// opponents' decisions. Both go through the C-runtime compatible generator of
// the platform, whose state is kept per thread: SeedRandom affects only the
// RandomInRange calls made later on the same thread.
#pragma once

#include <cstdint>

// Seeds the calling thread's generator with the process clock (milliseconds
// since the process started). Two calls within one millisecond give the same
// sequence afterwards. While a demo is recorded or played, the main thread's
// readings of that clock go through the demo (platform::SetClockRelay), so a
// played demo shuffles as its recording did.
void SeedRandom();

// low > high: 0; low == high: low; otherwise rand() mod (high - low) + low,
// in unsigned arithmetic. The generator yields 0..32767, so a range wider
// than 32768 never reaches its upper part.
uint32_t RandomInRange(uint32_t low, uint32_t high);
