// A ratio of two integers kept in lowest terms: the screen's width-to-height
// aspect (1024 x 768 is 4:3).
//
// Threads: a plain value; no lock.
#pragma once

#include <cstdint>

namespace Zolt {

class Fraction {
public:
    Fraction() = default;
    Fraction(int32_t numerator, int32_t denominator) { SetReduced(numerator, denominator); }

    // Stores both divided by their greatest common divisor (signs kept).
    // A zero denominator leaves n / n, that is 1/0; 0/0 stays 0/0.
    void SetReduced(int32_t numerator, int32_t denominator);
    // The aspect comparison of the display set-up: true when
    // num x other.den / den < other.num, or else num < other.num x den /
    // other.den (products and truncating divisions on whole numbers). False
    // when either denominator is 0.
    bool IsLess(const Fraction& other) const;

    int32_t Numerator() const { return numerator_; }
    int32_t Denominator() const { return denominator_; }

private:
    int32_t numerator_ = 1;
    int32_t denominator_ = 1;
};

} // namespace Zolt
