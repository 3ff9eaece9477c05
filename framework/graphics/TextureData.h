// The Direct3D path's texture record of one memory image: the image cut into
// power-of-two pieces within the card's texture limits, each piece a managed
// texture surface in one of four formats, re-uploaded when the image's change
// counter moves. Also the format table both the path and the capability test
// read, and the choice of piece sizes.
//
// Threads: main thread; the record belongs to its image and is deleted
// through the Direct3D path.
#pragma once

#include "framework/graphics/TextureRecord.h"
#include "platform/ddraw/DDrawTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {
class DirectDrawPalette;
class DirectDrawSurface;
} // namespace platform

namespace Zolt {

class D3DInterface;
class MemoryImage;

// Texture formats, one bit each.
enum TextureFormatBit : int {
    kTexA8R8G8B8 = 1,
    kTexA4R4G4B4 = 2,
    kTexR5G6B5 = 4,
    kTexPalette8 = 8,
};

// The image's texture flags (set by its resource attributes).
enum TextureHint : int {
    kHintFewPieces = 1,  // "minsubdivide": as few pieces as possible
    kHintFixed64 = 2,    // pieces of 64 x 64
    kHintA4R4G4B4 = 4,   // "a4r4g4b4": prefer 4 bits per channel
    kHintNoR5G6B5 = 8,   // "a8r8g8b8": never drop the alpha channel
};

// The format bit an offered pixel format matches exactly (flags, bit count
// and all masks), or 0.
int TextureFormatBitOf(const platform::DDPIXELFORMAT& format);
// The pixel format of a format bit.
platform::DDPIXELFORMAT TextureFormatDescription(int formatBit);
int BytesPerTexel(int formatBit);
// "A8R8G8B8", "A4R4G4B4", "R5G6B5" or "Palette8"; "" for no format.
const char* TextureFormatName(int formatBit);

// The card's texture size limits as the path uses them.
struct TextureLimits {
    int minWidth = 64;
    int minHeight = 64;
    int maxWidth = 64;
    int maxHeight = 64;
    int maxAspect = 1;
};

// The image's slot for its texture record. The image owns the record; the
// Direct3D path is the one code that makes and deletes it.
std::unique_ptr<TextureRecord>& TextureRecordOf(MemoryImage& image);

// Turns an image (or remainder) size into a piece size: powers of two
// within the limits; `edge` asks for the next power of two (used for the
// last column and row).
void ChoosePieceSize(int& width, int& height, bool edge, int hints, const TextureLimits& limits);

struct TexturePiece {
    platform::DirectDrawSurface* surface = nullptr; // one reference held
    int width = 0;                                  // texture size
    int height = 0;
};

class TextureData : public TextureRecord {
public:
    TextureData() = default;
    ~TextureData() override;
    TextureData(const TextureData&) = delete;
    TextureData& operator=(const TextureData&) = delete;

    // Releases every piece and the palette.
    void ReleaseSurfaces();
    // Lays out the pieces (no surfaces yet) for an image of this size.
    void CreatePieces(int width, int height, const TextureLimits& limits);
    // Brings the textures in line with the image: format, layout, surfaces
    // and texels. Leaves `format` 0 when no texture could be made.
    void Update(MemoryImage& image, D3DInterface& path);

    // The piece at a column and row.
    TexturePiece& PieceAt(int column, int row) { return pieces[size_t(row) * size_t(columns) + size_t(column)]; }

    std::vector<TexturePiece> pieces;
    platform::DirectDrawPalette* palette = nullptr; // palettised format only
    int imageWidth = 0;
    int imageHeight = 0;
    int columns = 0;
    int rows = 0;
    int pieceWidth = 64;
    int pieceHeight = 64;
    int32_t changeCount = 0;
    size_t memoryBytes = 0;
    float maxU = 0;
    float maxV = 0;
    int format = 0;
    int hints = 0;
    // The path and image the record belongs to; the path is told when the
    // record goes (null once the path has let it go).
    D3DInterface* owner = nullptr;
    MemoryImage* image = nullptr;

private:
    static constexpr size_t kPaletteBytes = 1024;

    // The format for the image as it is now; for a palettised one the
    // record's palette holds the image's colours.
    int ChooseFormat(MemoryImage& image, D3DInterface& path);
    // Puts the image's 256 colours into the record's palette, made on first
    // use and kept for every later upload; false when none can be made.
    bool LoadPalette(MemoryImage& image, D3DInterface& path);
    void ReleasePalette();
    // Texel bytes of the pieces that have surfaces, and the palette's.
    size_t CountMemory() const;
    bool CreateSurfaces(D3DInterface& path);
    void Upload(MemoryImage& image, D3DInterface& path);
};

} // namespace Zolt
