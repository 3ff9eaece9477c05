// What a demo costs in memory: one process records a demo of the size asked
// for, as the program does (input commands, the crash image brought up to
// date after every update), and writes it; another reads it to play it.
// bench/demo_memory.sh runs each under /usr/bin/time and sets its peak
// resident memory against the demo's size.
//
//   bench_demo_memory record MEGABYTES FILE
//   bench_demo_memory play FILE
#include "framework/app/DemoRecorder.h"
#include "framework/app/InputQueue.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kVersion[] = "bench";
constexpr int kMessagesPerUpdate = 1000;

int Record(double megabytes, const std::string& file)
{
    int update = 0;
    Zolt::DemoRecorder recorder([&] { return update; });
    recorder.SetFileName(file);
    recorder.StartRecording();
    const auto window = reinterpret_cast<platform::HWND>(0x10);
    const size_t bytes = size_t(megabytes * 1024 * 1024);
    // Long moves back and forth: 34 bits each.
    for (int i = 0; size_t(recorder.Stream().Data().ByteSize()) < bytes; ++i) {
        const int x = i % 2 ? 1000 : 0;
        recorder.RecordInput(Zolt::QueuedMessage{window, platform::WM_MOUSEMOVE, 0, platform::MAKELPARAM(x, x / 2)},
                             window, true);
        if (i % kMessagesPerUpdate == 0) {
            ++update;
            recorder.PrepareCrashImage(1, kVersion);
        }
    }
    platform::FileError error;
    if (!recorder.WriteFile(1, kVersion, &error)) {
        std::fprintf(stderr, "bench_demo_memory: %s\n", error.Text().c_str());
        return 1;
    }
    return 0;
}

int Play(const std::string& file)
{
    Zolt::DemoRecorder player([] { return 0; });
    player.SetFileName(file);
    player.StartPlaying();
    uint32_t seed = 0;
    std::string error;
    if (!player.ReadFile(kVersion, seed, error)) {
        std::fprintf(stderr, "bench_demo_memory: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "record") == 0)
        return Record(std::atof(argv[2]), argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "play") == 0)
        return Play(argv[2]);
    std::fprintf(stderr, "usage: bench_demo_memory record MEGABYTES FILE | play FILE\n");
    return 2;
}
