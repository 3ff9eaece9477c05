// The hand evaluator as it stood before its rank-mask rewrite, kept as the
// reference the benchmark measures against and the identity test compares
// with, result for result. Not part of the program: only bench/ and that
// test use it.
//
// Pure functions of their arguments: any thread may call them.
#pragma once

#include "game/table/HandEvaluator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace reference_evaluator {

void EvaluateHand(const std::vector<Card>& cards, std::vector<uint32_t>& categories,
                  std::vector<HandGroup>& groups);
uint32_t EvaluateHandCategory(const Card* cards, size_t count);
uint32_t EvaluateSortedHand(const std::vector<Card>& cards, std::vector<HandGroup>& groups);

} // namespace reference_evaluator
