// Builders of sample image files for the image tests: every sample is made
// here, in memory, by hand (GIF, TGA) or with the same libraries the loaders
// use (libpng, libjpeg, OpenJPEG), so no test depends on a stored file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<uint8_t>;

// --- GIF -----------------------------------------------------------------

struct GifFrame {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    std::vector<uint8_t> indices; // width x height colour indices, rows from the top
    std::vector<uint32_t> localColors; // 0xRRGGBB; empty: use the global table
    int transparentIndex = -1;        // written in a graphic-control block before the frame
    bool interlaced = false;
};

struct GifSpec {
    int screenWidth = 0; // 0: the first frame's size
    int screenHeight = 0;
    std::vector<uint32_t> globalColors; // 0xRRGGBB; empty: no global table
    std::vector<GifFrame> frames;
    int minCodeSize = 0;                // 0: the smallest that fits the table
    bool comment = false;               // a comment block before the first frame
    bool netscapeLoop = false;          // an application block before the first frame
    // When the code table fills, go on without a clear code (as some
    // encoders do) instead of sending one.
    bool deferredClear = false;
    const char* version = "GIF89a";
};

Bytes MakeGif(const GifSpec& spec);
// The LZW data of one frame (minimum-code-size byte and sub-blocks).
Bytes EncodeGifLzw(const std::vector<uint8_t>& indices, int minCodeSize, bool deferredClear);
// LZW data written code by code, for streams no encoder would make: the
// minimum-code-size byte, then (code, bit width) pairs packed low bits first
// into sub-blocks, then the terminating empty sub-block.
Bytes PackGifCodes(int minCodeSize, const std::vector<std::pair<int, int>>& codes);

// --- TGA -----------------------------------------------------------------

struct TgaSpec {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, in the order stored
    uint8_t imageType = 2;
    uint8_t bitsPerPixel = 32;
    uint8_t descriptor = 0x28;
    std::string imageId;
    // A colour map the true-colour pixels do not use: its entries, each of
    // this many bits (stored in whole bytes), lie before the pixels.
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntryBits = 0;
};

Bytes MakeTga(const TgaSpec& spec);

// --- PNG, JPEG, JPEG 2000 --------------------------------------------------

// A PNG of the given libpng colour type and bit depth; samples hold the
// packed row bytes (height rows of the row size libpng expects).
struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 6; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<uint8_t> rows;          // height x row bytes
    std::vector<uint32_t> palette;      // 0xRRGGBB, for palette images
    std::vector<uint8_t> paletteAlpha;  // tRNS for palette images
};

Bytes MakePng(const PngSpec& spec);
// An 8-bit RGBA PNG of 0xAARRGGBB pixels.
Bytes MakeRgbaPng(int width, int height, const std::vector<uint32_t>& pixels);

// components: 1 (grey), 3 (RGB) or 4 (CMYK); samples interleaved, rows from the top.
Bytes MakeJpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality = 95);

// components 1, 3 or 4, 8-bit samples interleaved; a codestream (.j2k) or a
// JP2 file; lossless.
Bytes MakeJ2k(int width, int height, int components, const std::vector<uint8_t>& samples, bool jp2);

// --- helpers -------------------------------------------------------------

// A pattern picture of 0xAARRGGBB pixels with varied colours and alpha.
std::vector<uint32_t> PatternPixels(int width, int height, bool opaque);

// A fresh empty folder under the system's temporary folder, removed by the
// destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return mPath; }
    // Path()/name
    std::string File(const std::string& name) const;
    // Writes bytes to Path()/name (folders must exist), returns the path.
    std::string Write(const std::string& name, const Bytes& bytes) const;

private:
    std::string mPath;
};

Bytes ReadWholeFile(const std::string& path);

} // namespace fixtures
