#include "framework/graphics/TextureData.h"

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/d3d/Direct3DDevice.h"
#include "platform/ddraw/DirectDraw.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

namespace Zolt {

using namespace platform;

namespace {

struct FormatRow {
    int bit;
    DWORD flags;
    DWORD bits;
    DWORD alpha, red, green, blue;
    int bytes;
    const char* name;
};

constexpr FormatRow kFormats[] = {
    {kTexA8R8G8B8, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF, 4, "A8R8G8B8"},
    {kTexA4R4G4B4, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF000, 0xF00, 0xF0, 0xF, 2, "A4R4G4B4"},
    {kTexR5G6B5, DDPF_RGB, 16, 0, 0xF800, 0x7E0, 0x1F, 2, "R5G6B5"},
    {kTexPalette8, DDPF_PALETTEINDEXED8 | DDPF_RGB, 8, 0, 0, 0, 0, 1, "Palette8"},
};

const FormatRow* RowOf(int bit)
{
    for (const FormatRow& row : kFormats)
        if (row.bit == bit)
            return &row;
    return nullptr;
}

int NextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n && p < (1 << 30))
        p <<= 1;
    return p;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// For each size below 1024 the piece size that wastes at most 64 texels, or
// else leaves a remainder that is small or itself a power of two.
const std::array<int, 1024>& PieceTable()
{
    static std::array<int, 1024> table;
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 1024; ++i) {
            const int p = NextPowerOfTwo(i);
            if (p - i <= 64) {
                table[size_t(i)] = p;
                continue;
            }
            int size = p / 2;
            while (size > 1 && i % size >= 64 && !IsPowerOfTwo(i % size))
                size /= 2;
            table[size_t(i)] = size;
        }
    });
    return table;
}

} // namespace

namespace {
// The record lives in a protected member of the image; a pointer to that
// member, named through a derived class, reaches it without widening the
// image's own interface.
struct TextureSlot : MemoryImage {
    static std::unique_ptr<TextureRecord>& Of(MemoryImage& image) { return image.*(&TextureSlot::texture_); }
};
} // namespace

std::unique_ptr<TextureRecord>& TextureRecordOf(MemoryImage& image) { return TextureSlot::Of(image); }

int TextureFormatBitOf(const DDPIXELFORMAT& f)
{
    for (const FormatRow& row : kFormats) {
        if (f.dwFlags == row.flags && f.dwRGBBitCount == row.bits && f.dwRGBAlphaBitMask == row.alpha &&
            f.dwRBitMask == row.red && f.dwGBitMask == row.green && f.dwBBitMask == row.blue)
            return row.bit;
    }
    return 0;
}

DDPIXELFORMAT TextureFormatDescription(int formatBit)
{
    DDPIXELFORMAT f;
    std::memset(&f, 0, sizeof f);
    f.dwSize = sizeof f;
    if (const FormatRow* row = RowOf(formatBit)) {
        f.dwFlags = row->flags;
        f.dwRGBBitCount = row->bits;
        f.dwRBitMask = row->red;
        f.dwGBitMask = row->green;
        f.dwBBitMask = row->blue;
        f.dwRGBAlphaBitMask = row->alpha;
    }
    return f;
}

int BytesPerTexel(int formatBit)
{
    const FormatRow* row = RowOf(formatBit);
    return row ? row->bytes : 0;
}

const char* TextureFormatName(int formatBit)
{
    const FormatRow* row = RowOf(formatBit);
    return row ? row->name : "";
}

void ChoosePieceSize(int& width, int& height, bool edge, int hints, const TextureLimits& limits)
{
    if (hints & kHintFixed64) {
        width = height = 64;
        return;
    }
    auto one = [&](int size, int maximum) {
        if (size >= maximum)
            return maximum;
        if (edge || (hints & kHintFewPieces))
            return size < 2 ? 1 : NextPowerOfTwo(size);
        return PieceTable()[size_t(std::clamp(size, 0, 1023))];
    };
    width = std::max(one(width, limits.maxWidth), limits.minWidth);
    height = std::max(one(height, limits.maxHeight), limits.minHeight);
    const int64_t aspect = std::max(limits.maxAspect, 1);
    // Doubling may not overshoot the maximum for ever: a card whose limits
    // cannot be met still ends.
    for (int guard = 0; guard < 32; ++guard) {
        if (width > height && width > aspect * height)
            height *= 2;
        else if (height > width && height > aspect * width)
            width *= 2;
        else
            break;
    }
}

TextureData::~TextureData()
{
    ReleaseSurfaces();
    if (owner)
        owner->ForgetImage(image);
}

void TextureData::ReleaseSurfaces()
{
    for (TexturePiece& piece : pieces) {
        if (piece.surface)
            piece.surface->Release();
        piece.surface = nullptr;
    }
    pieces.clear();
    ReleasePalette();
    memoryBytes = 0;
}

void TextureData::CreatePieces(int width, int height, const TextureLimits& limits)
{
    for (TexturePiece& piece : pieces)
        if (piece.surface)
            piece.surface->Release();
    pieces.clear();
    int pw = width;
    int ph = height;
    ChoosePieceSize(pw, ph, false, hints, limits);
    pieceWidth = pw;
    pieceHeight = ph;

    int rightWidth = pw;
    int rightHeight = ph;
    if (width % pw > 0) {
        rightWidth = width % pw;
        ChoosePieceSize(rightWidth, rightHeight, true, hints, limits);
    }
    int bottomWidth = pw;
    int bottomHeight = ph;
    if (height % ph > 0) {
        bottomHeight = height % ph;
        ChoosePieceSize(bottomWidth, bottomHeight, true, hints, limits);
    }
    int cornerWidth = width % pw > 0 ? width % pw : pw;
    int cornerHeight = height % ph > 0 ? height % ph : ph;
    ChoosePieceSize(cornerWidth, cornerHeight, true, hints, limits);

    columns = (width + pw - 1) / pw;
    rows = (height + ph - 1) / ph;
    pieces.resize(size_t(columns) * size_t(rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            TexturePiece& piece = PieceAt(c, r);
            const bool lastColumn = c == columns - 1;
            const bool lastRow = r == rows - 1;
            if (lastColumn && lastRow) {
                piece.width = cornerWidth;
                piece.height = cornerHeight;
            } else if (lastColumn) {
                piece.width = rightWidth;
                piece.height = rightHeight;
            } else if (lastRow) {
                piece.width = bottomWidth;
                piece.height = bottomHeight;
            } else {
                piece.width = pw;
                piece.height = ph;
            }
        }
    }
    maxU = float(width) / float(pw);
    maxV = float(height) / float(ph);
}

bool TextureData::LoadPalette(MemoryImage& image, D3DInterface& path)
{
    PALETTEENTRY entries[256];
    const uint32_t* colours = image.GetPalette();
    for (int i = 0; i < 256; ++i) {
        entries[i].peRed = BYTE(colours[i] >> 16);
        entries[i].peGreen = BYTE(colours[i] >> 8);
        entries[i].peBlue = BYTE(colours[i]);
        entries[i].peFlags = BYTE(colours[i] >> 24);
    }
    // A re-upload recolours the palette the pieces already use.
    if (palette && SUCCEEDED(palette->SetEntries(0, 0, 256, entries)))
        return true;
    DirectDrawPalette* made = nullptr;
    if (FAILED(path.GetDirectDraw()->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &made,
                                                   nullptr)) ||
        !made)
        return false;
    ReleasePalette();
    palette = made;
    for (TexturePiece& piece : pieces)
        if (piece.surface)
            piece.surface->SetPalette(palette);
    return true;
}

void TextureData::ReleasePalette()
{
    if (palette)
        palette->Release();
    palette = nullptr;
}

size_t TextureData::CountMemory() const
{
    size_t bytes = palette ? kPaletteBytes : 0;
    for (const TexturePiece& piece : pieces)
        if (piece.surface)
            bytes += size_t(piece.width) * size_t(BytesPerTexel(format)) * size_t(piece.height);
    return bytes;
}

int TextureData::ChooseFormat(MemoryImage& image, D3DInterface& path)
{
    const int supported = path.GetSupportedFormats();
    const int imageHints = image.GetTextureHints();
    int chosen = kTexA8R8G8B8;
    if (!image.HasTransparency() && !image.HasTranslucency() && (supported & kTexR5G6B5) &&
        !(imageHints & kHintNoR5G6B5))
        chosen = kTexR5G6B5;
    if (image.GetPalette() && image.GetIndices() && (supported & kTexPalette8)) {
        if (LoadPalette(image, path))
            chosen = kTexPalette8;
        else
            path.DisablePaletteTextures();
    }
    if (chosen == kTexA8R8G8B8) {
        if ((imageHints & kHintA4R4G4B4) && (supported & kTexA4R4G4B4))
            chosen = kTexA4R4G4B4;
        else if (supported & kTexA8R8G8B8)
            chosen = kTexA8R8G8B8;
        else
            chosen = kTexA4R4G4B4;
    }
    return chosen;
}

bool TextureData::CreateSurfaces(D3DInterface& path)
{
    const DDPIXELFORMAT pixelFormat = TextureFormatDescription(format);
    for (TexturePiece& piece : pieces) {
        if (piece.surface)
            continue;
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = DWORD(piece.width);
        desc.dwHeight = DWORD(piece.height);
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        desc.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
        desc.ddpfPixelFormat = pixelFormat;
        path.CheckResult(path.GetDevice()->SetTexture(0, nullptr), "SetTexture NULL");
        if (FAILED(path.GetDirectDraw()->CreateSurface(&desc, &piece.surface, nullptr)) || !piece.surface) {
            piece.surface = nullptr;
            return false;
        }
        if (palette)
            piece.surface->SetPalette(palette);
    }
    return true;
}

void TextureData::Update(MemoryImage& image, D3DInterface& path)
{
    image.DropDerivedData();
    image.ScanAlpha();
    const int chosen = ChooseFormat(image, path);
    if (chosen != kTexPalette8)
        ReleasePalette();
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    if (width != imageWidth || height != imageHeight || chosen != format || image.GetTextureHints() != hints ||
        pieces.empty()) {
        format = chosen;
        hints = image.GetTextureHints();
        CreatePieces(width, height, path.GetLimits());
    }
    const bool made = width > 0 && height > 0 && CreateSurfaces(path);
    memoryBytes = CountMemory();
    if (!made) {
        format = 0;
        return;
    }
    Upload(image, path);
    imageWidth = width;
    imageHeight = height;
    changeCount = image.GetChangeCount();
}

void TextureData::Upload(MemoryImage& image, D3DInterface& path)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const uint32_t* bits = image.GetBits();
    const uint32_t* colours = image.GetPalette();
    const uint8_t* indices = image.GetIndices();
    if (!bits && !(colours && indices))
        bits = image.RequireBits();
    if (!bits && !(colours && indices))
        return;
    auto argbAt = [&](int x, int y) {
        const size_t i = size_t(y) * size_t(width) + size_t(x);
        return bits ? bits[i] : colours[indices[i]];
    };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            TexturePiece& piece = PieceAt(c, r);
            DDSURFACEDESC2 desc;
            std::memset(&desc, 0, sizeof desc);
            desc.dwSize = sizeof desc;
            if (path.CheckResult(piece.surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr),
                                 "Lock Texture"))
                continue;
            const int x0 = c * pieceWidth;
            const int y0 = r * pieceHeight;
            const int w = std::min(piece.width, width - x0);
            const int h = std::min(piece.height, height - y0);
            // One column and one row beyond the image repeat its edge, so
            // linear filtering never reads texels nobody wrote.
            const int wOut = std::min(piece.width, w + 1);
            const int hOut = std::min(piece.height, h + 1);
            auto* base = static_cast<uint8_t*>(desc.lpSurface);
            for (int y = 0; y < hOut; ++y) {
                const int sy = y0 + std::min(y, h - 1);
                uint8_t* row = base + size_t(y) * size_t(desc.lPitch);
                for (int x = 0; x < wOut; ++x) {
                    const int sx = x0 + std::min(x, w - 1);
                    switch (format) {
                    case kTexA8R8G8B8: reinterpret_cast<uint32_t*>(row)[x] = argbAt(sx, sy); break;
                    case kTexA4R4G4B4: {
                        const uint32_t p = argbAt(sx, sy);
                        reinterpret_cast<uint16_t*>(row)[x] = uint16_t((p >> 28 & 0xF) << 12 | (p >> 20 & 0xF) << 8 |
                                                                       (p >> 12 & 0xF) << 4 | (p >> 4 & 0xF));
                        break;
                    }
                    case kTexR5G6B5: {
                        const uint32_t p = argbAt(sx, sy);
                        reinterpret_cast<uint16_t*>(row)[x] =
                            uint16_t((p >> 19 & 0x1F) << 11 | (p >> 10 & 0x3F) << 5 | (p >> 3 & 0x1F));
                        break;
                    }
                    case kTexPalette8: row[x] = indices[size_t(sy) * size_t(width) + size_t(sx)]; break;
                    default: break;
                    }
                }
            }
            path.CheckResult(piece.surface->Unlock(nullptr), "Texture Unlock");
        }
    }
}

} // namespace Zolt
