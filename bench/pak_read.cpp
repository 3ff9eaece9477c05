// Reading every member of a 50 MB archive through the file layer, against
// reading the same bytes from plain files. The data is generated once, at the
// first benchmark, in a temporary folder that is removed at exit.
// BM_PakOverPlain reports the ratio of the two in one run (counter
// "pak_over_plain": below 1 means the archive is faster).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "pak/PakFormat.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"

namespace {

constexpr size_t kMembers = 200;
constexpr size_t kMemberSize = 50u * 1024 * 1024 / kMembers;
constexpr size_t kChunk = 64 * 1024;

class Corpus {
public:
    static Corpus& Get()
    {
        static Corpus corpus;
        return corpus;
    }

    std::vector<std::string> memberNames;
    std::vector<std::string> plainPaths;

private:
    Corpus()
    {
        folder_ = std::filesystem::temp_directory_path() / ("pellucor-pak-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder_ / "plain");
        std::mt19937 rng(7);
        std::vector<PakMemberSource> members;
        for (size_t i = 0; i < kMembers; ++i) {
            PakMemberSource m;
            m.name = "data\\member" + std::to_string(i) + ".bin";
            m.bytes.resize(kMemberSize);
            for (auto& b : m.bytes)
                b = static_cast<uint8_t>(rng());
            std::string plain = (folder_ / "plain" / ("member" + std::to_string(i) + ".bin")).string();
            std::ofstream(plain, std::ios::binary).write(reinterpret_cast<const char*>(m.bytes.data()),
                                                         static_cast<std::streamsize>(m.bytes.size()));
            memberNames.push_back(m.name);
            plainPaths.push_back(plain);
            members.push_back(std::move(m));
        }
        std::vector<uint8_t> archive;
        std::string error;
        if (!BuildPakArchive(members, &archive, &error))
            std::abort();
        std::string pakPath = (folder_ / "bench.pak").string();
        std::ofstream(pakPath, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()),
                                                       static_cast<std::streamsize>(archive.size()));
        if (!GetProcessPakInterface()->AddPakArchive(pakPath)) {
            std::fprintf(stderr, "%s\n", GetProcessPakInterface()->LastError().c_str());
            std::abort();
        }
    }
    ~Corpus()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::filesystem::path folder_;
};

size_t ReadAllThroughLayer(std::vector<char>& buffer)
{
    size_t total = 0;
    for (const std::string& name : Corpus::Get().memberNames) {
        PakFileHandle* h = PakFileOpen(name.c_str(), "rb");
        while (size_t n = PakFileRead(buffer.data(), 1, buffer.size(), h))
            total += n;
        PakFileClose(h);
    }
    return total;
}

size_t ReadAllPlain(std::vector<char>& buffer)
{
    size_t total = 0;
    for (const std::string& path : Corpus::Get().plainPaths) {
        FILE* f = std::fopen(path.c_str(), "rb");
        while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f))
            total += n;
        std::fclose(f);
    }
    return total;
}

void BM_PakMembers(benchmark::State& state)
{
    Corpus::Get();
    std::vector<char> buffer(kChunk);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAllThroughLayer(buffer));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMembers * kMemberSize));
}
BENCHMARK(BM_PakMembers)->Unit(benchmark::kMillisecond);

void BM_PlainFiles(benchmark::State& state)
{
    Corpus::Get();
    std::vector<char> buffer(kChunk);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAllPlain(buffer));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMembers * kMemberSize));
}
BENCHMARK(BM_PlainFiles)->Unit(benchmark::kMillisecond);

// Both readings in each iteration, alternated, so that the ratio comes from
// one run under the same machine load.
void BM_PakOverPlain(benchmark::State& state)
{
    Corpus::Get();
    std::vector<char> buffer(kChunk);
    using Clock = std::chrono::steady_clock;
    Clock::duration pak{}, plain{};
    for (auto _ : state) {
        auto t0 = Clock::now();
        benchmark::DoNotOptimize(ReadAllThroughLayer(buffer));
        auto t1 = Clock::now();
        benchmark::DoNotOptimize(ReadAllPlain(buffer));
        auto t2 = Clock::now();
        pak += t1 - t0;
        plain += t2 - t1;
    }
    state.counters["pak_over_plain"] = std::chrono::duration<double>(pak).count() /
                                       std::chrono::duration<double>(plain).count();
}
BENCHMARK(BM_PakOverPlain)->Unit(benchmark::kMillisecond);

} // namespace
