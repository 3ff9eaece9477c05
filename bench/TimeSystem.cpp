// Cost of one advance pass of the time system: the scan of the whole table
// plus one step of every running time object. A pass must stay far below the
// 5 ms period, with the table empty, partly used, or full.
#include "timing/TimeSystem_impl.h"

#include <benchmark/benchmark.h>

namespace {

struct CountingObserver : TimeLibrary::TimeObjectMessageObserver {
    void OnTimerTick(uint32_t) override { ++ticks; }
    long ticks = 0;
};

void BM_AdvancePass(benchmark::State& state)
{
    TimeLibrary::TimeSystem_impl system;
    CountingObserver observer;
    for (int64_t i = 0; i < state.range(0); ++i) {
        TimeLibrary::ITimeObject* timer = system.CreateTimeObject(&observer, 5, 5);
        timer->SetEndless(true);
        timer->Start(true, 0);
        timer->SetPaused(false);
    }
    for (auto _ : state)
        system.TickAll();
    benchmark::DoNotOptimize(observer.ticks);
    state.counters["objects"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_AdvancePass)->Arg(0)->Arg(64)->Arg(2047);

void BM_CreateAndDestroyInFullerTable(benchmark::State& state)
{
    TimeLibrary::TimeSystem_impl system;
    CountingObserver observer;
    for (int64_t i = 0; i < state.range(0); ++i)
        system.CreateTimeObject(&observer, 5, 5);
    for (auto _ : state)
        system.DestroyTimeObject(system.CreateTimeObject(&observer, 5, 5));
}
BENCHMARK(BM_CreateAndDestroyInFullerTable)->Arg(0)->Arg(2000);

} // namespace
