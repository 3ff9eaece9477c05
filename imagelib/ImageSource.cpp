#include "imagelib/ImageSource.h"

#include <cstring>

namespace ImageLib {

bool ImageSource::ReadU16(uint16_t& value)
{
    uint8_t bytes[2];
    if (!ReadExact(bytes, 2))
        return false;
    value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

int64_t ImageSource::Remaining()
{
    const int64_t size = Size();
    if (size < 0)
        return -1;
    const int64_t left = size - Tell();
    return left < 0 ? 0 : left;
}

size_t MemoryImageSource::Read(void* buffer, size_t count)
{
    const size_t left = mSize - mPos;
    const size_t n = count < left ? count : left;
    if (n > 0) {
        std::memcpy(buffer, mData + mPos, n);
        mPos += n;
    }
    return n;
}

bool MemoryImageSource::Seek(int64_t offset)
{
    if (offset < 0 || static_cast<uint64_t>(offset) > mSize)
        return false;
    mPos = static_cast<size_t>(offset);
    return true;
}

} // namespace ImageLib
