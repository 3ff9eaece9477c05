// Seven-card evaluations per second over a fixed random sample: the full hand
// record (category and groups) against the category alone.
#include "game/table/HandEvaluator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

const std::vector<std::vector<Card>>& Sample()
{
    static const std::vector<std::vector<Card>> hands = [] {
        std::mt19937 random(7);
        std::vector<Card> deck;
        for (uint32_t r = 0; r < 13; ++r) {
            for (uint32_t s = 0; s < 4; ++s)
                deck.emplace_back(r, s);
        }
        std::vector<std::vector<Card>> sample;
        for (int i = 0; i < 4096; ++i) {
            std::shuffle(deck.begin(), deck.end(), random);
            sample.emplace_back(deck.begin(), deck.begin() + 7);
        }
        return sample;
    }();
    return hands;
}

void FullRecord(benchmark::State& state)
{
    const auto& hands = Sample();
    std::vector<uint32_t> categories;
    std::vector<HandGroup> groups;
    size_t i = 0;
    for (auto _ : state) {
        categories.clear();
        groups.clear();
        EvaluateHand(hands[i], categories, groups);
        benchmark::DoNotOptimize(groups.data());
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

void SortedRecord(benchmark::State& state)
{
    const auto& hands = Sample();
    std::vector<HandGroup> groups;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EvaluateSortedHand(hands[i], groups));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

void CategoryOnly(benchmark::State& state)
{
    const auto& hands = Sample();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(EvaluateHandCategory(hands[i]));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(FullRecord);
BENCHMARK(SortedRecord);
BENCHMARK(CategoryOnly);
