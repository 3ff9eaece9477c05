// The developer's dump of the images in memory: every image as a PNG and a
// 64 x 64 thumbnail, and "imagelist.html" listing them with the memory each
// kind of data of each image takes, and the totals.
//
// Threads: main thread (the developer key); the images must stay alive while
// the dump runs (the caller took them from the register).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

class MemoryImage;

class ImageDump {
public:
    // Bytes per kind: pixels, palette, surface, texture, native alpha,
    // run-length alpha, run-length additive.
    using Sizes = std::array<int64_t, 7>;

    // The bytes each kind of the image's data takes (0 for what it lacks).
    static Sizes Measure(MemoryImage& image);
    // Empties `folder` (made when missing) and writes the dump into it.
    static void Write(const std::string& folder, const std::vector<MemoryImage*>& images);
    // The page listing the images; `rows` as made by Row.
    static std::string Page(const std::string& rows, const Sizes& totals);
    // The table row of the image saved as "img%04d.png" / "thumb%04d.jpg".
    static std::string Row(MemoryImage& image, int index, const Sizes& sizes);

private:
    static void WriteImageFiles(const std::string& folder, MemoryImage& image, int index);
};

} // namespace Zolt
