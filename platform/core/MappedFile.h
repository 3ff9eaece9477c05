// A read-only mapping of a whole file: the archive layer serves its members
// straight from it, so an archive is never copied into a buffer.
//
// Threads: Open may be called from any thread; a mapping is read-only and
// may be read from any number of threads while it lives.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Types.h"

namespace platform {

class MappedFile {
public:
    // Maps the file (path as platform::ResolvePath takes it). Null, with a
    // reason naming the file in *error, when it cannot be opened or mapped or
    // is not a regular file.
    static std::unique_ptr<MappedFile> Open(const std::string& path, std::string* error);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Null for an empty file.
    const uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }

private:
    MappedFile() = default;
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};

} // namespace platform
