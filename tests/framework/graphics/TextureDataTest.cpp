// The texture records of the Direct3D path: how images are cut into pieces,
// which format each image gets, uploads that follow the image's changes, the
// texels read back, and what happens when a piece cannot be made.
#include "D3DTestSupport.h"

#include "framework/graphics/DDImage.h"
#include "platform/core/Testing.h"
#include "platform/d3d/DeviceProfile.h"
#include "platform/ddraw/DirectDrawSurface.h"
#include "tests/support/ImageFixtures.h"

using namespace d3dtest;
using Zolt::ChoosePieceSize;
using Zolt::TextureData;
using Zolt::TextureLimits;

namespace {

std::unique_ptr<TextureData> Layout(int width, int height, const TextureLimits& limits, int hints = 0)
{
    auto record = std::make_unique<TextureData>();
    record->hints = hints;
    record->CreatePieces(width, height, limits);
    return record;
}

std::unique_ptr<Zolt::MemoryImage> Picture(int width, int height, bool opaque)
{
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    const std::vector<uint32_t> pixels = fixtures::PatternPixels(width, height, opaque);
    image->AssignBits(pixels.data(), width, height, true);
    return image;
}

} // namespace

TEST(TexturePieces, ScreenSizedImageOnA256CardIsThreeByTwo)
{
    const auto recordOwned = Layout(640, 480, TextureLimits{1, 1, 256, 256, 65536});
    const TextureData& record = *recordOwned;
    EXPECT_EQ(record.columns, 3);
    EXPECT_EQ(record.rows, 2);
    EXPECT_EQ(record.pieces[0].width, 256);
    EXPECT_EQ(record.pieces[0].height, 256);
    // The last column keeps 128 texels; the bottom remainder of 224 rounds up.
    EXPECT_EQ(record.pieces[2].width, 128);
    EXPECT_EQ(record.pieces[2].height, 256);
    EXPECT_EQ(record.pieces[5].width, 128);
    EXPECT_EQ(record.pieces[5].height, 256);
    EXPECT_FLOAT_EQ(record.maxU, 2.5f);
    EXPECT_FLOAT_EQ(record.maxV, 1.875f);
}

TEST(TexturePieces, WastefulPowersAreSplitInsteadOfPadded)
{
    // 512 would waste 212 texels: 256 plus a 64-wide last column.
    const auto recordOwned = Layout(300, 20, TextureLimits{1, 1, 1024, 1024, 65536});
    const TextureData& record = *recordOwned;
    ASSERT_EQ(record.columns, 2);
    EXPECT_EQ(record.pieceWidth, 256);
    EXPECT_EQ(record.pieces[1].width, 64);
    // Close to a power of two: one padded piece.
    const auto nearOwned = Layout(100, 20, TextureLimits{1, 1, 1024, 1024, 65536});
    const TextureData& near = *nearOwned;
    EXPECT_EQ(near.columns, 1);
    EXPECT_EQ(near.pieces[0].width, 128);
    EXPECT_EQ(near.pieces[0].height, 32);
    // The picture's extent in pieces, across and down, each by its own side.
    EXPECT_FLOAT_EQ(near.maxU, 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(near.maxV, 20.0f / 32.0f);
}

TEST(TexturePieces, HintsAndCardLimitsShapeThePieces)
{
    const TextureLimits big{1, 1, 1024, 1024, 65536};
    const auto fixedOwned = Layout(300, 200, big, Zolt::kHintFixed64);
    const TextureData& fixed = *fixedOwned;
    EXPECT_EQ(fixed.pieceWidth, 64);
    EXPECT_EQ(fixed.columns * fixed.rows, 5 * 4);
    const auto fewOwned = Layout(300, 200, big, Zolt::kHintFewPieces);
    const TextureData& few = *fewOwned;
    ASSERT_EQ(few.pieces.size(), 1u);
    EXPECT_EQ(few.pieces[0].width, 512);
    EXPECT_EQ(few.pieces[0].height, 256);

    // A minimum texture size raises small pieces; an aspect limit doubles
    // the short side.
    int w = 8, h = 8;
    ChoosePieceSize(w, h, true, 0, TextureLimits{32, 16, 256, 256, 65536});
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    w = 256, h = 4;
    ChoosePieceSize(w, h, true, 0, TextureLimits{1, 1, 256, 256, 8});
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 32);
}

class TextureRecords : public D3DDisplayFixture {
protected:
    TextureData* Prepare(Zolt::MemoryImage& image)
    {
        path->PrepareImageTextures(&image);
        return dynamic_cast<TextureData*>(image.GetTexture());
    }
};

TEST_F(TextureRecords, CardWithoutTextureLimitsWorksIn64Pieces)
{
    platform::d3d::testing::SetTextureLimits(0, 0, 0, 0, 0);
    Make3DDisplay();
    EXPECT_EQ(path->GetLimits().maxWidth, 64);
    auto image = Picture(100, 70, false);
    TextureData* record = Prepare(*image);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->pieceWidth, 64);
    EXPECT_EQ(record->columns, 2);
    EXPECT_EQ(record->rows, 2);
}

TEST_F(TextureRecords, FormatFollowsTheImagesAlphaHintsAndTheCard)
{
    Make3DDisplay();
    auto opaque = Picture(16, 16, true);
    auto translucent = Picture(16, 16, false);
    EXPECT_EQ(Prepare(*opaque)->format, Zolt::kTexR5G6B5);
    EXPECT_EQ(Prepare(*translucent)->format, Zolt::kTexA8R8G8B8);

    auto keepsAlpha = Picture(16, 16, true);
    keepsAlpha->SetTextureHints(Zolt::kHintNoR5G6B5);
    EXPECT_EQ(Prepare(*keepsAlpha)->format, Zolt::kTexA8R8G8B8);
    auto small = Picture(16, 16, false);
    small->SetTextureHints(Zolt::kHintA4R4G4B4);
    EXPECT_EQ(Prepare(*small)->format, Zolt::kTexA4R4G4B4);

    auto indexed = Picture(16, 16, false);
    ASSERT_TRUE(indexed->ConvertToPalette());
    EXPECT_EQ(Prepare(*indexed)->format, Zolt::kTexPalette8);

    // What the video statistics show: images and bytes per format.
    int counts[4];
    size_t bytes[4];
    path->TextureStatistics(counts, bytes);
    EXPECT_EQ(counts[0], 2); // A8R8G8B8
    EXPECT_EQ(counts[1], 1); // A4R4G4B4
    EXPECT_EQ(counts[2], 1); // R5G6B5
    EXPECT_EQ(counts[3], 1); // palettised
    EXPECT_EQ(bytes[0], 2u * 16 * 16 * 4);
    EXPECT_EQ(bytes[2], 16u * 16 * 2);
    EXPECT_EQ(bytes[3], 16u * 16 + 1024);
}

TEST_F(TextureRecords, APalettisedImageUploadedAgainRecoloursItsOwnPaletteAndKeepsItsMemoryCount)
{
    Make3DDisplay();
    auto image = Picture(16, 16, false);
    ASSERT_TRUE(image->ConvertToPalette());
    TextureData* record = Prepare(*image);
    ASSERT_EQ(record->format, Zolt::kTexPalette8);
    platform::DirectDrawPalette* palette = record->palette;
    const size_t memory = record->memoryBytes;
    EXPECT_EQ(memory, 16u * 16 + 1024);

    for (int round = 0; round < 3; ++round) {
        image->GetPalette()[image->GetIndices()[0]] = 0xFF102030u + uint32_t(round);
        image->MarkBitsChanged();
        ASSERT_TRUE(path->PrepareImageTextures(image.get()));
    }
    EXPECT_EQ(record->palette, palette);
    EXPECT_EQ(record->memoryBytes, memory);
    int counts[4];
    size_t bytes[4];
    path->TextureStatistics(counts, bytes);
    EXPECT_EQ(bytes[3], memory);
    std::vector<uint32_t> back(16 * 16);
    ASSERT_TRUE(path->ReadBackTextures(image.get(), back.data()));
    EXPECT_EQ(back[0], 0xFF102032u) << "the pieces show the new colours";
}

TEST_F(TextureRecords, CardWithoutEightBitChannelsFallsBackToFourBits)
{
    platform::d3d::testing::SetTextureFormats(platform::d3d::kTextureA4R4G4B4 | platform::d3d::kTextureR5G6B5);
    Make3DDisplay();
    auto translucent = Picture(16, 16, false);
    EXPECT_EQ(Prepare(*translucent)->format, Zolt::kTexA4R4G4B4);
}

TEST_F(TextureRecords, PaletteThatCannotBeMadeEndsPalettisedTexturesForTheRun)
{
    Make3DDisplay();
    platform::ddraw::testing::FailNext("CreatePalette", platform::DDERR_OUTOFMEMORY);
    auto first = Picture(16, 16, false);
    ASSERT_TRUE(first->ConvertToPalette());
    EXPECT_EQ(Prepare(*first)->format, Zolt::kTexA8R8G8B8);
    EXPECT_FALSE(path->GetSupportedFormats() & Zolt::kTexPalette8);
    auto second = Picture(16, 16, false);
    ASSERT_TRUE(second->ConvertToPalette());
    EXPECT_EQ(Prepare(*second)->format, Zolt::kTexA8R8G8B8);
}

TEST_F(TextureRecords, CardWithoutAlphaPalettesGetsNoPalettisedTextures)
{
    platform::d3d::testing::SetTextureCaps(platform::D3DPTEXTURECAPS_PERSPECTIVE | platform::D3DPTEXTURECAPS_ALPHA);
    Make3DDisplay();
    auto indexed = Picture(16, 16, false);
    ASSERT_TRUE(indexed->ConvertToPalette());
    EXPECT_EQ(Prepare(*indexed)->format, Zolt::kTexA8R8G8B8);
}

TEST_F(TextureRecords, TexelsReadBackInEveryFormat)
{
    platform::d3d::testing::SetTextureLimits(1, 1, 32, 32, 0); // several pieces
    Make3DDisplay();
    struct Case {
        const char* name;
        bool opaque;
        int hints;
        bool palette;
        uint32_t mask; // the bits each format keeps
    };
    const Case cases[] = {
        {"A8R8G8B8", false, 0, false, 0xFFFFFFFF},
        {"R5G6B5", true, 0, false, 0x00F8FCF8},
        {"A4R4G4B4", false, Zolt::kHintA4R4G4B4, false, 0x00F0F0F0},
        {"palette", false, 0, true, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = Picture(50, 40, c.opaque);
        if (c.palette) {
            // A few colours, so that a palette holds them.
            std::vector<uint32_t> few(50 * 40);
            for (size_t i = 0; i < few.size(); ++i)
                few[i] = 0x80000000u | uint32_t(i % 7) * 0x00102030u;
            image->AssignBits(few.data(), 50, 40, true);
        }
        image->SetTextureHints(c.hints);
        if (c.palette) {
            ASSERT_TRUE(image->ConvertToPalette());
        }
        const std::vector<uint32_t> original(image->RequireBits(), image->RequireBits() + 50 * 40);
        if (c.palette) {
            ASSERT_TRUE(image->ConvertToPalette());
        }
        ASSERT_TRUE(path->PrepareImageTextures(image.get()));
        std::vector<uint32_t> back(50 * 40);
        ASSERT_TRUE(path->ReadBackTextures(image.get(), back.data()));
        for (size_t i = 0; i < back.size(); ++i) {
            const uint32_t expected = c.mask == 0xFFFFFFFF ? original[i] : (0xFF000000u | (original[i] & c.mask));
            ASSERT_EQ(back[i], expected) << "pixel " << i;
        }
    }
}

TEST_F(TextureRecords, ChangedImageIsUploadedAgainAndStaleTexturesAreNotReadBack)
{
    Make3DDisplay();
    auto image = Picture(20, 20, false);
    ASSERT_TRUE(path->PrepareImageTextures(image.get()));
    image->FillRectangle(Zolt::Rect(0, 0, 20, 20), Zolt::Color(10, 20, 30), Zolt::DrawMode::Normal);
    std::vector<uint32_t> back(400);
    EXPECT_FALSE(path->ReadBackTextures(image.get(), back.data()));

    display->GetScreenImage()->BlitImage(image.get(), 5, 5, Zolt::Rect(0, 0, 20, 20), Zolt::Color::White,
                                         Zolt::DrawMode::Normal);
    const std::vector<uint32_t> screen = ReadScreen();
    // Opaque now, so the card's 5-6-5 texture holds it: each channel keeps
    // its top bits.
    const uint32_t shown = ScreenAt(screen, 10, 10);
    EXPECT_NEAR(int(shown >> 16), 10, 7);
    EXPECT_NEAR(int(shown >> 8 & 0xFF), 20, 3);
    EXPECT_NEAR(int(shown & 0xFF), 30, 7);
    ASSERT_TRUE(path->ReadBackTextures(image.get(), back.data()));
    EXPECT_EQ(back[0], 0xFF081418u);
}

TEST_F(TextureRecords, LastColumnAndRowAreRepeatedBeyondTheImage)
{
    Make3DDisplay();
    auto image = Picture(10, 6, false); // one 16 x 8 piece
    TextureData* record = Prepare(*image);
    ASSERT_EQ(record->pieces.size(), 1u);
    platform::DirectDrawSurface* piece = record->pieces[0].surface;
    ASSERT_EQ(piece->Width(), 16);
    ASSERT_EQ(piece->Height(), 8);
    auto texel = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(piece->Pixels() + size_t(y) * size_t(piece->Pitch()))[x];
    };
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(texel(10, y), texel(9, y)) << y;
    for (int x = 0; x < 11; ++x)
        EXPECT_EQ(texel(x, 6), texel(x, 5)) << x;
}

TEST_F(TextureRecords, PieceThatCannotBeMadeLeavesTheImageUndrawnUntilItCanBe)
{
    Make3DDisplay();
    auto image = Picture(20, 20, true);
    platform::ddraw::testing::FailNext("CreateTexture", platform::DDERR_OUTOFVIDEOMEMORY);
    Zolt::DDImage* screen = display->GetScreenImage();
    screen->BlitImage(image.get(), 0, 0, Zolt::Rect(0, 0, 20, 20), Zolt::Color::White, Zolt::DrawMode::Normal);
    EXPECT_EQ(dynamic_cast<TextureData*>(image->GetTexture())->format, 0);
    EXPECT_EQ(ScreenAt(ReadScreen(), 10, 10), 0u);
    // Not a run-time error of the path: 3D mode stays.
    EXPECT_FALSE(path->HasRuntimeError());

    screen->BlitImage(image.get(), 0, 0, Zolt::Rect(0, 0, 20, 20), Zolt::Color::White, Zolt::DrawMode::Normal);
    EXPECT_NE(ScreenAt(ReadScreen(), 10, 10), 0u);
}

TEST_F(TextureRecords, RecordsGoWithTheirImagesAndWithTheDevice)
{
    Make3DDisplay();
    auto kept = Picture(8, 8, false);
    {
        auto dropped = Picture(8, 8, false);
        ASSERT_TRUE(path->PrepareImageTextures(dropped.get()));
        ASSERT_TRUE(path->PrepareImageTextures(kept.get()));
        EXPECT_EQ(path->TexturedImageCount(), 2u);
    }
    EXPECT_EQ(path->TexturedImageCount(), 1u);
    display->ReleaseImageTextures(kept.get());
    EXPECT_EQ(kept->GetTexture(), nullptr);

    ASSERT_TRUE(path->PrepareImageTextures(kept.get()));
    ASSERT_EQ(InitWindowed(), Zolt::DDInterface::RESULT_OK); // a display reset
    EXPECT_EQ(kept->GetTexture(), nullptr);
    EXPECT_EQ(path->TexturedImageCount(), 0u);
}
