#include "framework/base/Fraction.h"

namespace Zolt {

void Fraction::SetReduced(int32_t numerator, int32_t denominator)
{
    // Euclid on 64-bit values, so that INT32_MIN can neither overflow the
    // remainder nor the division below.
    int64_t a = numerator;
    int64_t b = denominator;
    while (b != 0) {
        const int64_t r = a % b;
        a = b;
        b = r;
    }
    if (a == 0) {
        // Only 0/0 has no divisor; there is nothing to reduce.
        numerator_ = 0;
        denominator_ = 0;
        return;
    }
    numerator_ = static_cast<int32_t>(numerator / a);
    denominator_ = static_cast<int32_t>(denominator / a);
}

bool Fraction::IsLess(const Fraction& other) const
{
    if (denominator_ == 0 || other.denominator_ == 0) {
        return false;
    }
    const int64_t num = numerator_;
    const int64_t den = denominator_;
    if (num * other.denominator_ / den < other.numerator_) {
        return true;
    }
    return num < static_cast<int64_t>(other.numerator_) * den / other.denominator_;
}

} // namespace Zolt
