// Rows of 5-6-5 and 5-5-5 pixels widened into 0xAARRGGBB, with the rounding
// of PixelLayout::ToArgb, by the widest vector unit the processor has.
// ConvertRowToArgb runs the best of them; the others stay callable so that
// tests hold each one to ToArgb on any machine that can run it.
// Stateless; safe on any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::ddraw::sixteen {

enum class Unit {
    Scalar, // one pixel at a time
    Sse2,   // 8 pixels at a time
    Avx2,   // 16 pixels at a time
    Avx512, // 32 pixels at a time, the row's end under a mask
};

// The units this processor can run, widest first; Scalar is always last.
const std::vector<Unit>& UnitsHere();

// Converts all `count` pixels of the row with `unit`, which must be one of
// UnitsHere(). `green6`: 5-6-5, else 5-5-5 (bit 15 ignored).
void ConvertRow(Unit unit, const uint8_t* source, uint32_t* out, int count, bool green6);

// The same with the widest unit here.
void ConvertRow(const uint8_t* source, uint32_t* out, int count, bool green6);

} // namespace platform::ddraw::sixteen
