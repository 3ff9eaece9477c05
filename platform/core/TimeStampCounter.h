// The processor's time-stamp counter: a count that rises at a fixed, high,
// machine-dependent rate. Only developer instruments read it; everything that
// must be testable reads platform::Clock instead.
//
// Threads: any thread.
#pragma once

#include <cstdint>

namespace platform {

uint64_t ReadTimeStampCounter();

} // namespace platform
