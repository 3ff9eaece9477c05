// Where a decoder takes its bytes from. The readers open files through the
// archive layer (PakImageSource); fuzzers and tests feed bytes from memory
// (MemoryImageSource). Decoders see only this interface, so one code path
// serves both.
//
// Thread: one source belongs to the thread that decodes from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace ImageLib {

class ImageSource {
public:
    virtual ~ImageSource() = default;
    // Copies up to count bytes, returns how many arrived (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Absolute position; false when the position cannot be reached.
    virtual bool Seek(int64_t offset) = 0;
    virtual int64_t Tell() = 0;
    // Total size in bytes, or -1 when unknown.
    virtual int64_t Size() = 0;

    // Reads exactly count bytes; false on a short read.
    bool ReadExact(void* buffer, size_t count) { return Read(buffer, count) == count; }
    // Little-endian fields; false at the end of the data.
    bool ReadU8(uint8_t& value) { return ReadExact(&value, 1); }
    bool ReadU16(uint16_t& value);
    // Bytes left behind the current position, or -1 when unknown.
    int64_t Remaining();

    // What the data is called where it came from ("" for bytes in memory).
    virtual std::string Name() const { return {}; }
    // Why a decoder refused the data, in the words of its library ("" when it
    // gave none); the first reason noted stays.
    const std::string& Failure() const { return mFailure; }
    void NoteFailure(const std::string& reason)
    {
        if (mFailure.empty())
            mFailure = reason;
    }

private:
    std::string mFailure;
};

class MemoryImageSource : public ImageSource {
public:
    MemoryImageSource(const void* data, size_t size)
        : mData(static_cast<const uint8_t*>(data)), mSize(size) {}
    size_t Read(void* buffer, size_t count) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() override { return static_cast<int64_t>(mPos); }
    int64_t Size() override { return static_cast<int64_t>(mSize); }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPos = 0;
};

// A file opened through the archive layer with mode "rb"; closed by the
// destructor on every path.
class PakImageSource : public ImageSource {
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<PakImageSource> Open(const std::string& name);
    ~PakImageSource() override;
    size_t Read(void* buffer, size_t count) override;
    bool Seek(int64_t offset) override;
    int64_t Tell() override;
    int64_t Size() override;
    // The name it was opened by, and the archive that holds it when it is a
    // member of one ("images/x.png in data.pak").
    std::string Name() const override;

private:
    PakImageSource(void* handle, std::string name) : mHandle(handle), mName(std::move(name)) {}
    void* mHandle;
    std::string mName;
    int64_t mSize = -2; // -2: not asked yet
};

} // namespace ImageLib
