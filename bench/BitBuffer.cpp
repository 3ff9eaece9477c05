// Throughput of the demo stream's bit buffer: a recorded frame writes a few
// flags, small bit fields and whole values at odd bit offsets, and playback
// reads them back.
#include "framework/base/Buffer.h"

#include <benchmark/benchmark.h>

namespace {

void WriteFrames(Zolt::Buffer& buffer, int frames)
{
    for (int i = 0; i < frames; ++i) {
        buffer.PutBits(static_cast<uint32_t>(i) & 7u, 3);
        buffer.PutU16(static_cast<int16_t>(i));
        buffer.PutBits(1, 1);
        buffer.PutU32(i * 7919);
    }
}

void BM_WriteFrames(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Zolt::Buffer buffer;
        WriteFrames(buffer, frames);
        benchmark::DoNotOptimize(buffer.Bytes());
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_WriteFrames)->Arg(1000)->Arg(100000);

void BM_ReadFrames(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    Zolt::Buffer source;
    WriteFrames(source, frames);
    for (auto _ : state) {
        source.Rewind();
        uint32_t sum = 0;
        for (int i = 0; i < frames; ++i) {
            sum += source.TakeBits(3, false);
            sum += static_cast<uint32_t>(source.TakeU16());
            sum += source.TakeBits(1, false);
            sum += static_cast<uint32_t>(source.TakeU32());
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_ReadFrames)->Arg(1000)->Arg(100000);

} // namespace
