// Seven-card evaluations per second over a fixed random sample: the full hand
// record (category and groups) and the category alone, each against the
// evaluator as it stood before its rank-mask rewrite (the Reference* runs).
#include "bench/reference/ReferenceHandEvaluator.h"
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

template <auto Evaluate> void FullRecord(benchmark::State& state)
{
    const auto& hands = Sample();
    std::vector<uint32_t> categories;
    std::vector<HandGroup> groups;
    size_t i = 0;
    for (auto _ : state) {
        categories.clear();
        groups.clear();
        Evaluate(hands[i], categories, groups);
        benchmark::DoNotOptimize(groups.data());
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

template <auto Evaluate> void SortedRecord(benchmark::State& state)
{
    const auto& hands = Sample();
    std::vector<HandGroup> groups;
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Evaluate(hands[i], groups));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

template <auto Evaluate> void CategoryOnly(benchmark::State& state)
{
    const auto& hands = Sample();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Evaluate(hands[i].data(), hands[i].size()));
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(FullRecord<reference_evaluator::EvaluateHand>)->Name("ReferenceFullRecord");
BENCHMARK(FullRecord<EvaluateHand>)->Name("FullRecord");
BENCHMARK(SortedRecord<reference_evaluator::EvaluateSortedHand>)->Name("ReferenceSortedRecord");
BENCHMARK(SortedRecord<EvaluateSortedHand>)->Name("SortedRecord");
BENCHMARK(CategoryOnly<reference_evaluator::EvaluateHandCategory>)->Name("ReferenceCategoryOnly");
BENCHMARK(CategoryOnly<static_cast<uint32_t (*)(const Card*, size_t)>(EvaluateHandCategory)>)->Name("CategoryOnly");
