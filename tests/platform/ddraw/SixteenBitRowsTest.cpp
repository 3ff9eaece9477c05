// Each vector unit this machine can run widens 16-bit rows exactly as
// PixelLayout::ToArgb widens each pixel, whatever the row's length and
// wherever it starts, and writes nothing outside the row.
#include "platform/ddraw/PixelLayout.h"
#include "platform/ddraw/SixteenBitRows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

namespace ddraw = platform::ddraw;
namespace sixteen = platform::ddraw::sixteen;

constexpr uint32_t kGuard = 0xDEADBEEFu;

const char* Name(sixteen::Unit unit)
{
    switch (unit) {
    case sixteen::Unit::Avx512: return "avx512";
    case sixteen::Unit::Avx2: return "avx2";
    case sixteen::Unit::Sse2: return "sse2";
    case sixteen::Unit::Scalar: return "scalar";
    }
    return "?";
}

struct Layout {
    ddraw::PixelLayout layout;
    bool green6;
};

const Layout kLayouts[] = {{ddraw::PixelLayout::Rgb565(), true}, {ddraw::PixelLayout::Rgb555(), false}};

// Values that run through every 16-bit pattern, in an order that puts
// unlike neighbours side by side.
std::vector<uint16_t> Scrambled(size_t count)
{
    std::vector<uint16_t> values(count);
    for (size_t i = 0; i < count; ++i) values[i] = uint16_t(i * 40503u);
    return values;
}

// Converts `count` values starting `sourceAt` pixels into `values`, into an
// output that starts `outAt` pixels into a guarded buffer, and checks every
// pixel and both guards.
void ExpectRow(sixteen::Unit unit, const Layout& l, const std::vector<uint16_t>& values, size_t sourceAt, int count,
               size_t outAt)
{
    std::vector<uint32_t> out(outAt + size_t(count) + 64, kGuard);
    sixteen::ConvertRow(unit, reinterpret_cast<const uint8_t*>(values.data() + sourceAt), out.data() + outAt, count,
                        l.green6);
    for (size_t i = 0; i < outAt; ++i) ASSERT_EQ(out[i], kGuard) << "written before the row at " << i;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(out[outAt + size_t(i)], l.layout.ToArgb(values[sourceAt + size_t(i)]))
            << "pixel " << i << " of " << count << ", output offset " << outAt << ", source offset " << sourceAt;
    for (size_t i = outAt + size_t(count); i < out.size(); ++i)
        ASSERT_EQ(out[i], kGuard) << "written after a row of " << count << " at " << i - outAt;
}

TEST(SixteenBitRows, TheScalarUnitIsAlwaysThereAndTheWidestComesFirst)
{
    const auto& units = sixteen::UnitsHere();
    ASSERT_FALSE(units.empty());
    EXPECT_EQ(units.back(), sixteen::Unit::Scalar);
    for (size_t i = 1; i < units.size(); ++i) EXPECT_GT(int(units[i - 1]), int(units[i]));
}

TEST(SixteenBitRows, EveryUnitWidensEveryValueAsEachPixelDoes)
{
    // One row of all 65536 values: long enough that every unit spends it in
    // its widest steps.
    const std::vector<uint16_t> values = Scrambled(65536);
    for (sixteen::Unit unit : sixteen::UnitsHere())
        for (const Layout& l : kLayouts) {
            SCOPED_TRACE(Name(unit));
            ExpectRow(unit, l, values, 0, 65536, 0);
        }
}

TEST(SixteenBitRows, EveryUnitConvertsRowsOfEachShortLengthFromAnyStart)
{
    // Lengths around each unit's step (8, 16, 32 pixels) and its remainders,
    // output starts at every 4-byte position of a 64-byte line, and sources
    // off their 32-byte alignment.
    const std::vector<uint16_t> values = Scrambled(4096);
    for (sixteen::Unit unit : sixteen::UnitsHere())
        for (const Layout& l : kLayouts)
            for (int count = 0; count <= 100; ++count)
                for (size_t outAt = 0; outAt < 16; ++outAt) {
                    SCOPED_TRACE(Name(unit));
                    ExpectRow(unit, l, values, size_t(count) * 7 % 61, count, outAt);
                    if (HasFatalFailure()) return;
                }
}

TEST(SixteenBitRows, EveryUnitConvertsWindowWideRowsFromAnyStart)
{
    // Rows as wide as windows are, which the widest steps carry, ending in
    // each kind of remainder.
    const std::vector<uint16_t> values = Scrambled(8192);
    for (sixteen::Unit unit : sixteen::UnitsHere())
        for (const Layout& l : kLayouts)
            for (int count : {511, 512, 513, 640, 800, 1023, 1024, 1031, 1280, 1917})
                for (size_t outAt = 0; outAt < 16; ++outAt) {
                    SCOPED_TRACE(Name(unit));
                    ExpectRow(unit, l, values, outAt * 3, count, outAt);
                    if (HasFatalFailure()) return;
                }
}

TEST(SixteenBitRows, TheDisplayFormatsGoThroughTheWidestUnitAndOthersThroughTheTable)
{
    // ConvertRowToArgb agrees with ToArgb for the display's layouts and for a
    // 16-bit layout of its own (4-4-4-4 with alpha), which takes the table.
    const std::vector<uint16_t> values = Scrambled(4099);
    const ddraw::PixelLayout argb4444{16, platform::DDPF_RGB, 0x0F00, 0x00F0, 0x000F, 0xF000};
    for (const ddraw::PixelLayout& layout : {kLayouts[0].layout, kLayouts[1].layout, argb4444}) {
        std::vector<uint32_t> out(values.size() + 1, kGuard);
        ddraw::ConvertRowToArgb(reinterpret_cast<const uint8_t*>(values.data()), out.data(), int(values.size()),
                                layout);
        for (size_t i = 0; i < values.size(); ++i) ASSERT_EQ(out[i], layout.ToArgb(values[i])) << i;
        EXPECT_EQ(out.back(), kGuard);
    }
}

} // namespace
