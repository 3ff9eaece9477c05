#include "DisplayTestSupport.h"

#include <set>

using namespace displaytest;
using Zolt::Color;
using Zolt::DDImage;
using Zolt::DrawMode;
using Zolt::Rect;

class SurfaceImage : public DisplayFixture {
protected:
    void Start(int depth)
    {
        SetDesktop(1920, 1080, depth, 60);
        MakeDisplay();
        ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK);
    }

    // Every value of the image's surface, row by row.
    static std::vector<uint32_t> SurfaceValues(DDImage& image)
    {
        std::vector<uint32_t> out;
        if (!image.AcquireSurfaceLock())
            return out;
        const auto& desc = image.GetLockedDescription();
        for (int y = 0; y < image.GetHeight(); ++y) {
            const auto* row = static_cast<const uint8_t*>(desc.lpSurface) + size_t(y) * size_t(desc.lPitch);
            for (int x = 0; x < image.GetWidth(); ++x)
                out.push_back(desc.ddpfPixelFormat.dwRGBBitCount == 16 ? reinterpret_cast<const uint16_t*>(row)[x]
                                                                        : reinterpret_cast<const uint32_t*>(row)[x]);
        }
        image.ReleaseSurfaceLock();
        return out;
    }
};

TEST_F(SurfaceImage, NestedLocksUnlockOnlyAtTheLastReleaseAndUnpairedReleasesAreRefused)
{
    Start(16);
    auto image = MakeSolid(display.get(), 4, 4, 0xFF102030);
    EXPECT_FALSE(image->ReleaseSurfaceLock());
    ASSERT_TRUE(image->AcquireSurfaceLock());
    ASSERT_TRUE(image->AcquireSurfaceLock());
    ASSERT_TRUE(image->ReleaseSurfaceLock());
    EXPECT_EQ(image->GetLockCount(), 1);
    EXPECT_NE(image->GetLockedDescription().lpSurface, nullptr);
    ASSERT_TRUE(image->ReleaseSurfaceLock());
    EXPECT_EQ(image->GetLockedDescription().lpSurface, nullptr);
    EXPECT_FALSE(image->ReleaseSurfaceLock());
    EXPECT_EQ(image->GetLockCount(), 0);
    // The count did not go below zero: one acquire is one lock again.
    ASSERT_TRUE(image->AcquireSurfaceLock());
    EXPECT_TRUE(image->ReleaseSurfaceLock());
    EXPECT_EQ(image->GetLockCount(), 0);
}

TEST_F(SurfaceImage, FailedLockDrawsNothingAndKeepsTheCount)
{
    Start(16);
    auto image = MakeSolid(display.get(), 4, 4, 0xFF000000);
    ASSERT_TRUE(image->BuildSurface());
    FailNext("Lock", platform::DDERR_SURFACELOST);
    EXPECT_FALSE(image->AcquireSurfaceLock());
    EXPECT_EQ(image->GetLockCount(), 0);
    const uint32_t* bits = image->RequireBits();
    FailNext("Lock", platform::DDERR_SURFACELOST);
    image->FillRectangle(Rect(0, 0, 4, 4), Color(255, 255, 255), DrawMode::Normal);
    EXPECT_EQ(image->GetBits(), bits); // memory copies kept
    EXPECT_EQ(SurfaceValues(*image)[0], 0u);
}

TEST_F(SurfaceImage, FailedRelockAfterABltLeavesNoPointerToDrawThrough)
{
    Start(16);
    auto dest = MakeSolid(display.get(), 8, 8, 0xFF000000);
    auto source = MakeSolid(display.get(), 4, 4, 0xFFFFFFFF);
    ASSERT_TRUE(source->BuildSurface());
    ASSERT_TRUE(dest->AcquireSurfaceLock());
    dest->RequireBits();
    FailNext("Lock", platform::DDERR_SURFACELOST);
    EXPECT_TRUE(dest->BltFromSurface(source.get(), 2, 2, Rect(0, 0, 4, 4)));
    EXPECT_EQ(dest->GetLockedDescription().lpSurface, nullptr);
    EXPECT_EQ(dest->GetBits(), nullptr); // the Blt changed the surface: memory is stale
    dest->ReleaseSurfaceLock();
    EXPECT_EQ(SurfaceValues(*dest)[2 * 8 + 2], 0xFFFFu);
}

TEST_F(SurfaceImage, FailedBltKeepsTheMemoryCopies)
{
    Start(16);
    auto dest = MakeSolid(display.get(), 8, 8, 0xFF000000);
    auto source = MakeSolid(display.get(), 4, 4, 0xFFFFFFFF);
    ASSERT_TRUE(source->BuildSurface());
    ASSERT_TRUE(dest->BuildSurface());
    const uint32_t* bits = dest->RequireBits();
    FailNext("Blt", platform::DDERR_SURFACELOST);
    EXPECT_FALSE(dest->BltFromSurface(source.get(), 0, 0, Rect(0, 0, 4, 4)));
    EXPECT_EQ(dest->GetBits(), bits);
}

TEST_F(SurfaceImage, NoSurfaceWithoutAPrimaryAndTheImageStillDraws)
{
    MakeDisplay(); // never initialised
    auto image = MakeSolid(display.get(), 4, 4, 0xFF000000);
    EXPECT_FALSE(image->BuildSurface());
    EXPECT_EQ(image->GetSurface(), nullptr);
    image->FillRectangle(Rect(1, 1, 2, 2), Color(0, 255, 0), DrawMode::Normal);
    EXPECT_EQ(image->GetBits()[5], 0xFF00FF00u);

    ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK);
    display->Cleanup();
    EXPECT_FALSE(image->BuildSurface());
}

TEST_F(SurfaceImage, TranslucentImagesNeverGetASurface)
{
    Start(16);
    auto image = MakeImage(display.get(), 2, 1, {0xFFFFFFFF, 0x80FFFFFF});
    EXPECT_FALSE(image->BuildSurface());
    EXPECT_FALSE(image->IsSurfaceWanted());
    image->FillRectangle(Rect(0, 0, 1, 1), Color(255, 0, 0), DrawMode::Normal);
    EXPECT_EQ(image->GetSurface(), nullptr);
    EXPECT_EQ(image->GetBits()[0], 0xFFFF0000u);
}

TEST_F(SurfaceImage, ReadBack565PutsTheBitsAtTheTopOfEachByte)
{
    Start(16);
    auto image = MakeImage(display.get(), 3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF123456});
    ASSERT_TRUE(image->BuildSurface());
    image->DropBits(); // the surface keeps the only copy
    ASSERT_EQ(image->GetBits(), nullptr);
    const uint32_t* bits = image->RequireBits();
    EXPECT_EQ(bits[0], 0xFFF80000u);
    EXPECT_EQ(bits[1], 0xFF00FC00u);
    EXPECT_EQ(bits[2], 0xFF103450u);
    EXPECT_EQ(bits[3], Zolt::MemoryImage::kGuardWord);
}

TEST_F(SurfaceImage, KeyedImageKeepsItsTransparencyThroughADisplayReset)
{
    Start(32);
    auto image = MakeImage(display.get(), 3, 1, {0x00000000, 0xFF0000FF, 0x00000000});
    ASSERT_TRUE(image->BuildSurface());
    ASSERT_TRUE(image->HasTransparency());

    image->DropBits();       // the surface holds the only copy
    ASSERT_EQ(image->GetBits(), nullptr);
    image->DropNativeData(); // before the reset: pixels saved, surface let go
    EXPECT_EQ(image->GetSurface(), nullptr);
    const uint32_t* bits = image->GetBits();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0] >> 24, 0u);
    EXPECT_EQ(bits[1], 0xFF0000FFu);
    EXPECT_EQ(bits[2] >> 24, 0u);

    display->Initialize(TestWindow(), true);
    image->ReapplyCompaction(); // after it: the surface comes back keyed
    uint32_t key = 0;
    ASSERT_TRUE(image->GetColorKey(key));
    const auto values = SurfaceValues(*image);
    EXPECT_EQ(values[0], key);
    EXPECT_NE(values[1], key);
}

TEST_F(SurfaceImage, ColourKeyAvoidsEveryVisibleColourOn16Bits)
{
    Start(16);
    // The first transparent pixel's colour is also an opaque pixel's; the
    // opaque pixels fill the first word of the search table completely.
    std::vector<uint32_t> pixels{0x00000000};
    for (uint32_t b = 0; b < 32; ++b)
        pixels.push_back(0xFF000000u | (b << 3));
    pixels.push_back(0x00000000);
    auto image = MakeImage(display.get(), static_cast<int>(pixels.size()), 1, pixels);
    ASSERT_TRUE(image->BuildSurface());
    uint32_t key = 0;
    ASSERT_TRUE(image->GetColorKey(key));
    const auto values = SurfaceValues(*image);
    const std::set<uint32_t> visible(values.begin() + 1, values.end() - 1);
    EXPECT_EQ(visible.count(key), 0u);
    EXPECT_EQ(values.front(), key);
    EXPECT_EQ(values.back(), key);
}

TEST_F(SurfaceImage, ColourKeyOn32BitsSkipsFullWordsOnly)
{
    Start(32);
    // Opaque pixels 0..63 fill the first two words; transparent black
    // collides with opaque black, so the key must be 64.
    std::vector<uint32_t> pixels{0x00000000};
    for (uint32_t v = 0; v < 64; ++v)
        pixels.push_back(0xFF000000u | v);
    auto image = MakeImage(display.get(), static_cast<int>(pixels.size()), 1, pixels);
    ASSERT_TRUE(image->BuildSurface());
    uint32_t key = 0;
    ASSERT_TRUE(image->GetColorKey(key));
    EXPECT_EQ(key, 64u);
    EXPECT_EQ(SurfaceValues(*image)[0], 64u);
}

TEST_F(SurfaceImage, OpaqueImageHasNoColourKey)
{
    Start(16);
    auto image = MakeSolid(display.get(), 4, 4, 0xFF445566);
    ASSERT_TRUE(image->BuildSurface());
    uint32_t key = 0;
    EXPECT_FALSE(image->GetColorKey(key));
}

TEST_F(SurfaceImage, ChangedBitsReleaseTheSurfaceAndAreUploadedNextTime)
{
    Start(32);
    auto image = MakeSolid(display.get(), 2, 2, 0xFF000000);
    ASSERT_TRUE(image->BuildSurface());
    image->RequireBits()[0] = 0xFFABCDEF;
    image->MarkBitsChanged();
    EXPECT_EQ(image->GetSurface(), nullptr);
    ASSERT_TRUE(image->BuildSurface());
    EXPECT_EQ(SurfaceValues(*image)[0], 0xABCDEFu);
}

TEST_F(SurfaceImage, DrawingOnAnOpaqueImageGoesToTheSurfaceAndDropsMemory)
{
    Start(16);
    auto image = MakeSolid(display.get(), 8, 8, 0xFF000000);
    image->FillRectangle(Rect(2, 2, 2, 2), Color(255, 255, 255), DrawMode::Normal);
    EXPECT_NE(image->GetSurface(), nullptr);
    EXPECT_EQ(image->GetBits(), nullptr);
    const auto values = SurfaceValues(*image);
    EXPECT_EQ(values[2 * 8 + 2], 0xFFFFu);
    EXPECT_EQ(values[2 * 8 + 4], 0u);
    EXPECT_EQ(image->RequireBits()[3 * 8 + 3], 0xFFF8FCF8u);
}

TEST_F(SurfaceImage, HorizontalLineBecomesARectangleFill)
{
    Start(32);
    auto image = MakeSolid(display.get(), 16, 8, 0xFF000000);
    image->DrawLineSegment(10.7, 5.0, 3.2, 5.0, Color(255, 0, 0), DrawMode::Normal);
    const auto values = SurfaceValues(*image);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(values[5 * 16 + x], (x >= 3 && x <= 10) ? 0xFE0000u : 0u) << x; // opaque 32-bit fill
    EXPECT_EQ(values[4 * 16 + 5], 0u);
}

TEST_F(SurfaceImage, KeyedSpriteBlitsOnlyItsVisiblePixels)
{
    Start(16);
    auto dest = MakeSolid(display.get(), 4, 1, 0xFF0000FF);
    auto sprite = MakeImage(display.get(), 4, 1, {0x00000000, 0xFFFF0000, 0xFFFF0000, 0x00000000});
    ASSERT_TRUE(sprite->BuildSurface());
    dest->BlitImage(sprite.get(), 0, 0, Rect(0, 0, 4, 1), Color::White, DrawMode::Normal);
    const auto values = SurfaceValues(*dest);
    EXPECT_EQ(values[0], 0x001Fu);
    EXPECT_EQ(values[1], 0xF800u);
    EXPECT_EQ(values[3], 0x001Fu);
    EXPECT_TRUE(sprite->IsDrawnFrom());
}

TEST_F(SurfaceImage, ClearingTheScreenImageKeepsItOnTheDrawSurface)
{
    Start(32);
    DDImage* screen = display->GetScreenImage();
    screen->FillRectangle(Rect(0, 0, 10, 10), Color(9, 9, 9), DrawMode::Normal);
    screen->Clear();
    EXPECT_EQ(screen->GetSurface(), display->GetDrawSurface());
    EXPECT_EQ(PixelAt(display->GetDrawSurface(), 5, 5), 0u);
}

TEST_F(SurfaceImage, TheScreenImageReadsBackWhatWasDrawnOnItsSurfaceSinceItsBitsLastWentUp)
{
    Start(32);
    DDImage* screen = display->GetScreenImage();
    const int width = screen->GetWidth();
    // A change made in memory goes to the surface...
    screen->RequireBits()[0] = 0xFF112233;
    screen->MarkBitsChanged();
    EXPECT_EQ(PixelAt(display->GetDrawSurface(), 0, 0), 0x112233u);
    // ...and what is drawn on the surface afterwards by anything else (the
    // 3D device draws there) is what the bits say from then on: another
    // change of the bits must not put the older picture back.
    platform::DirectDrawSurface* surface = display->GetDrawSurface();
    platform::DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr), platform::DD_OK);
    reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + 5 * desc.lPitch)[5] = 0xABCDEF;
    surface->Unlock(nullptr);
    EXPECT_EQ(screen->RequireBits()[5 * width + 5] & 0xFFFFFF, 0xABCDEFu);
    screen->RequireBits()[1] = 0xFF445566;
    screen->MarkBitsChanged();
    EXPECT_EQ(PixelAt(surface, 5, 5), 0xABCDEFu);
    EXPECT_EQ(PixelAt(surface, 1, 0), 0x445566u);
}

TEST_F(SurfaceImage, CoverageFillBlendsInTheSurfaceFormat)
{
    Start(32);
    auto image = MakeSolid(display.get(), 4, 1, 0xFF000000);
    const Zolt::Span span{0, 0, 4};
    const uint8_t coverage[4] = {255, 127, 0, 255};
    image->FillSpansWithCoverage(&span, 1, Color(255, 255, 255), DrawMode::Normal, coverage, 0, 0, 4, 1);
    const auto values = SurfaceValues(*image);
    EXPECT_GE(values[0] & 0xFF, 0xF0u);
    EXPECT_GE(values[0] >> 16, 0xF0u);
    EXPECT_NEAR(double(values[1] & 0xFF), 127.0, 3.0);
    EXPECT_EQ(values[2], 0u);
}

TEST_F(SurfaceImage, AdditiveFillBrightensWhatIsThere)
{
    Start(32);
    auto image = MakeImage(display.get(), 2, 1, {0xFF102030, 0xFFF0F0F0});
    image->FillRectangle(Rect(0, 0, 2, 1), Color(0x20, 0x20, 0x20), DrawMode::Additive);
    const auto values = SurfaceValues(*image);
    EXPECT_EQ(values[0], 0x304050u);
    EXPECT_EQ(values[1], 0xFFFFFFu);
}

TEST_F(SurfaceImage, CoverageFillOnATranslucentImageGoesToMemory)
{
    Start(32);
    auto image = MakeImage(display.get(), 2, 1, {0x80000000, 0xFF000000});
    const Zolt::Span span{0, 0, 2};
    const uint8_t coverage[2] = {255, 255};
    image->FillSpansWithCoverage(&span, 1, Color(255, 255, 255), DrawMode::Normal, coverage, 0, 0, 2, 1);
    EXPECT_EQ(image->GetSurface(), nullptr);
    EXPECT_GE(image->GetBits()[1] & 0xFF, 0xF0u);
    EXPECT_GE(image->GetBits()[1] >> 16 & 0xFF, 0xF0u);
}

TEST_F(SurfaceImage, ImagesOutlivingTheDisplayStayUsable)
{
    Start(32);
    auto image = MakeSolid(display.get(), 2, 2, 0xFF336699);
    ASSERT_TRUE(image->BuildSurface());
    display.reset();
    EXPECT_EQ(image->GetDisplay(), nullptr);
    image->FillRectangle(Rect(0, 0, 1, 1), Color(1, 2, 3), DrawMode::Normal);
    EXPECT_EQ(image->RequireBits()[0], 0xFF010203u);
}
