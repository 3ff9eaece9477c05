// Seven-card evaluations per second over a fixed random sample: the full hand
// record (category and groups), the sorted record and the category alone,
// each against the plain rating of bench/reference (PlainRating: the best of
// the 21 five-card choices, each rated on its own). Before any run the
// sample is rated both ways, and a hand on which the evaluator and the plain
// rating disagree stops the benchmark: a figure is only worth reading for an
// evaluator that gives the right answers.
//
// The Floor* runs evaluate nothing: through the same harness, they only read
// the seven cards, or only write a record, or both. They show how much of
// each figure the harness and the record's own shape cost whatever the
// evaluator does, and so how far any evaluator could get ahead of another.
//
// The CategoryOnly*Reader runs take the category through each way of
// reading the cards that this processor has, by name.
#include "bench/reference/PlainHandRating.h"
#include "game/table/HandEvaluator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// Stops the program on the first hand of the sample that the evaluator
// rates otherwise than the plain rating: another category, or a sorted
// record holding other cards.
void CheckAgreement(const std::vector<std::vector<Card>>& hands)
{
    std::vector<HandGroup> groups;
    for (const std::vector<Card>& hand : hands) {
        const plain_rating::Rating plain = plain_rating::RateHand(hand);
        const uint32_t category = EvaluateSortedHand(hand, groups);
        if (EvaluateHandCategory(hand) != plain.category || !plain_rating::RecordHoldsRating(category, groups, plain)) {
            std::fprintf(stderr, "the evaluator and the plain rating disagree on:");
            for (const Card& card : hand)
                std::fprintf(stderr, " %s", card.Name().c_str());
            std::fprintf(stderr, "\n");
            std::abort();
        }
    }
}

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
        CheckAgreement(sample);
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

void PlainRating(benchmark::State& state)
{
    const auto& hands = Sample();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plain_rating::RateHand(hands[i]));
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

// The suit masks of the cards, as an evaluator would build them first; out
// of line, as the evaluators are.
[[gnu::noinline]] uint64_t SuitMasksOf(const Card* cards, size_t count)
{
    uint64_t bits = 0;
    for (size_t i = 0; i < count; ++i)
        bits |= uint64_t{1} << ((16 * cards[i].suit + cards[i].rank) & 63);
    return bits;
}

// The record of a pair hand (a pair group, then three kickers) made of the
// first five cards as given, written as the evaluators write theirs.
[[gnu::noinline]] void WritePairRecord(const std::vector<Card>& cards, uint32_t category,
                                       std::vector<uint32_t>& categories, std::vector<HandGroup>& groups)
{
    categories.push_back(category);
    HandGroup& pair = groups.emplace_back();
    pair.category = kPair;
    pair.cards.push_back(cards[0]);
    pair.cards.push_back(cards[1]);
    HandGroup& kickers = groups.emplace_back();
    for (size_t i = 2; i < 5; ++i)
        kickers.cards.push_back(cards[i]);
}

void ReadOnly(const std::vector<Card>& cards, std::vector<uint32_t>& categories, std::vector<HandGroup>&)
{
    categories.push_back(static_cast<uint32_t>(SuitMasksOf(cards.data(), cards.size()) & 7));
}

void WriteOnly(const std::vector<Card>& cards, std::vector<uint32_t>& categories, std::vector<HandGroup>& groups)
{
    WritePairRecord(cards, kPair, categories, groups);
}

void ReadAndWrite(const std::vector<Card>& cards, std::vector<uint32_t>& categories, std::vector<HandGroup>& groups)
{
    const auto category = static_cast<uint32_t>(SuitMasksOf(cards.data(), cards.size()) & 7);
    WritePairRecord(cards, category, categories, groups);
}

uint32_t ReadOnlyCategory(const Card* cards, size_t count) { return static_cast<uint32_t>(SuitMasksOf(cards, count) & 7); }

template <CategoryReader Reader> uint32_t ReaderCategory(const Card* cards, size_t count)
{
    return EvaluateHandCategory(Reader, cards, count);
}

// The category through one way of reading the cards, named rather than
// picked once (one switch more per hand than CategoryOnly); skipped where
// the processor lacks that reader's vector unit.
template <CategoryReader Reader> void ReaderCategoryOnly(benchmark::State& state)
{
    const auto& here = CategoryReadersHere();
    if (std::find(here.begin(), here.end(), Reader) == here.end()) {
        state.SkipWithError("this processor lacks the reader's vector unit");
        return;
    }
    CategoryOnly<ReaderCategory<Reader>>(state);
}

} // namespace

BENCHMARK(PlainRating);
BENCHMARK(FullRecord<EvaluateHand>)->Name("FullRecord");
BENCHMARK(SortedRecord<EvaluateSortedHand>)->Name("SortedRecord");
BENCHMARK(CategoryOnly<static_cast<uint32_t (*)(const Card*, size_t)>(EvaluateHandCategory)>)->Name("CategoryOnly");
BENCHMARK(FullRecord<ReadOnly>)->Name("FloorRecordReadOnly");
BENCHMARK(FullRecord<WriteOnly>)->Name("FloorRecordWriteOnly");
BENCHMARK(FullRecord<ReadAndWrite>)->Name("FloorRecordReadAndWrite");
BENCHMARK(CategoryOnly<ReadOnlyCategory>)->Name("FloorCategoryReadOnly");
BENCHMARK(ReaderCategoryOnly<CategoryReader::Scalar>)->Name("CategoryOnlyScalarReader");
BENCHMARK(ReaderCategoryOnly<CategoryReader::Avx2>)->Name("CategoryOnlyAvx2Reader");
BENCHMARK(ReaderCategoryOnly<CategoryReader::Avx512>)->Name("CategoryOnlyAvx512Reader");
