// File primitives the archive layer and the game's own data files stand on:
// a read-only mapping of a whole file, Windows-style path handling on a
// case-sensitive file system, a wildcard listing shaped like a Win32 find,
// and a write that replaces a file all at once or not at all.
//
// Every function may be called from any thread; none keeps shared state
// except the test hook, which is only set while no other thread writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Types.h"

namespace platform {

// A read-only view of a whole file, unmapped when destroyed.
class MappedFile {
public:
    // Maps the file (either separator, names matched without regard to case
    // when the exact name is missing). Null with a reason in *error on failure.
    static std::unique_ptr<MappedFile> Open(const std::string& path, std::string* error);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }
    // Last-write time of the file when it was mapped.
    FILETIME LastWriteTime() const { return lastWrite_; }

private:
    MappedFile() = default;
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    FILETIME lastWrite_{};
};

// The path as this file system spells it: "\" becomes "/", and where the
// exact name does not exist each folder and the file name are looked up
// without regard to case (a file that does not exist yet keeps its last
// component as given, so it can be created).
std::string ResolveFilePath(const std::string& path);

// fopen of ResolveFilePath(path); other processes may read and write the file
// meanwhile, as with a share-nothing-denied Windows open.
FILE* OpenFileShared(const std::string& path, const char* mode);

// One match of a wildcard listing.
struct FoundFile {
    std::string name;     // the name only, without its folder
    uint64_t size = 0;
    FILETIME lastWrite{};
    bool directory = false;
};

// Lists the entries of the pattern's folder whose names match its last
// component ("*" and "?" wildcards, letters compared without regard to case),
// in name order. False when the folder cannot be read or nothing matches.
bool FindMatchingFiles(const std::string& pattern, std::vector<FoundFile>* out);

// Replaces the file's contents with the given bytes through a temporary file
// in the same folder that is flushed and then renamed over it: afterwards the
// file holds either all the new bytes or, on failure, exactly what it held
// before. On failure *error (when given) says what went wrong.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error);

// Removes a file (not a folder). False when it could not be removed.
bool RemoveFileAtPath(const std::string& path);

// The current working directory, "" when it cannot be read.
std::string WorkingDirectory();

namespace testing {
// Makes the next WriteFileAtomically fail after writing this many bytes of
// its temporary file, as a full disk would.
void FailNextAtomicWriteAfter(size_t bytes);
} // namespace testing

} // namespace platform
