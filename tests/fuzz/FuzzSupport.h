// What the fuzz targets share: a folder of their own for the readers that
// take a file name (one per process, so that runs side by side never share
// a file; removed when the process ends), and reading back every pixel of a
// decoded picture so that a wrong size shows up under the sanitizers.
//
// Threads: a fuzz target runs on one thread.
#pragma once

#include "imagelib/Image.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace fuzz_support {

class ScratchFolder {
public:
    ScratchFolder()
    {
        const std::optional<std::string> tmp = platform::GetEnvironmentVariable("TMPDIR");
        std::random_device random;
        path_ = (tmp && !tmp->empty() ? *tmp : std::string("/tmp")) + "/pellucor-fuzz-" + std::to_string(random());
        if (!platform::MakeDirectories(path_))
            std::abort();
    }
    ~ScratchFolder() { platform::DeleteTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The process's folder, made on first use.
inline const ScratchFolder& Scratch()
{
    static ScratchFolder folder;
    return folder;
}

// The bytes as the file `name` of the scratch folder; its path, or "" when
// it cannot be written. A plain write: the atomic one waits for the disk on
// every input.
inline std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = Scratch().File(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return std::string();
    const bool written = (size == 0 || std::fwrite(data, 1, size, file) == size);
    return std::fclose(file) == 0 && written ? path : std::string();
}

inline void ReadEveryPixel(const ImageLib::Image& image)
{
    uint32_t sum = 0;
    for (size_t i = 0, n = size_t(image.mWidth) * size_t(image.mHeight); i < n; ++i)
        sum += image.GetBits()[i];
    volatile uint32_t keep = sum;
    (void)keep;
}

} // namespace fuzz_support
