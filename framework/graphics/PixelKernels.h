// Row kernels of the hottest blends in 256-bit form, for processors that
// have AVX2 (checked once at run time). Each handles whole groups of eight
// pixels from the start of the row and returns how many it did; the caller
// finishes the row. Results are bit for bit those of PixelMath.h.
#pragma once

#include <cstdint>

namespace Zolt::pixel {

// True when the AVX2 kernels may run on this processor.
bool HasWideKernels();

// Translucent colour over opaque pixels (weight = the colour's alpha);
// stops at the first group holding a pixel that is not opaque.
int FillOverOpaqueWide(uint32_t* d, int count, uint32_t colour, uint32_t alpha);
// Each source pixel blended over the destination with its own alpha,
// stored opaque (the translucent runs of the opaque-destination blit).
int BlendOwnAlphaWide(uint32_t* d, const uint32_t* s, int count);
// Saturating add of the source colour (scaled by its alpha when
// translucent); the destination keeps its alpha.
int AddWide(uint32_t* d, const uint32_t* s, int count, bool translucent);
// The same over a whole rectangle of rows, tails included.
void AddRectWide(uint32_t* d, int dStride, const uint32_t* s, int sStride, int width, int height, bool translucent);

} // namespace Zolt::pixel
