// The developer's profiler and the time-stamp counter rate it runs on. No
// code records sections, so it measures the total time from start to stop.
//
// Threads: the developer keys drive it from the main thread; a mutex guards
// the process-wide state all the same.
#pragma once

#include <cstdint>
#include <string>

// Time-stamp counts per second, measured over 10 ms of the performance
// counter; 0 when the performance counter has no rate.
int64_t MeasureCpuTicksPerSecond();
// Measured once, then cached; never below 1.
int64_t CpuTicksPerSecond();

// Takes the start time stamp; sets the running flag unless keepStopped.
void ProfilerStart(bool keepStopped);
// Clears the running flag and fixes the total time.
void ProfilerStop();
bool ProfilerIsRunning();
// "Total Time: %.2f\n" with the total milliseconds.
std::string ProfilerResults();
