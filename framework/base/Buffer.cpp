#include "framework/base/Buffer.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

namespace Zolt {

namespace {

// Eight times the count must fit the 32-bit bit length.
constexpr int kMaxBytes = std::numeric_limits<int32_t>::max() / 8;

int ClampBitCount(int count)
{
    return std::clamp(count, 0, 32);
}

// A write that would take a position past what 32 bits can count is dropped;
// the buffer would be 256 MB by then, which no stream of ours reaches.
bool FitsAfter(int32_t position, int bits)
{
    return static_cast<int64_t>(position) + bits <= std::numeric_limits<int32_t>::max();
}

} // namespace

void Buffer::EnsureByteFor(int64_t bit)
{
    const size_t needed = static_cast<size_t>(bit / 8) + 1;
    if (data_.size() < needed) {
        data_.resize(needed, 0);
    }
}

void Buffer::AdvanceWrite(int bits)
{
    writePos_ += bits;
    bitLength_ = std::max(bitLength_, writePos_);
}

// Writers work at the write position (normally the end of the data) and grow
// the data to reach it, so a caller that writes after Assign can never touch
// memory outside the array.
void Buffer::PutBits(uint32_t value, int count)
{
    count = ClampBitCount(count);
    if (count == 0 || !FitsAfter(writePos_, count)) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int64_t w = static_cast<int64_t>(writePos_) + i;
        EnsureByteFor(w);
        const uint8_t mask = static_cast<uint8_t>(1u << (w % 8));
        if ((value >> i) & 1u) {
            data_[w / 8] |= mask;
        } else {
            data_[w / 8] &= static_cast<uint8_t>(~mask);
        }
    }
    AdvanceWrite(count);
}

void Buffer::PutByte(uint8_t value)
{
    if (!FitsAfter(writePos_, 8)) {
        return;
    }
    const int64_t w = writePos_;
    EnsureByteFor(w + 7);
    const size_t index = static_cast<size_t>(w / 8);
    const int shift = static_cast<int>(w % 8);
    if (shift == 0) {
        data_[index] = value;
    } else {
        const uint8_t low = static_cast<uint8_t>((1u << shift) - 1);
        data_[index] = static_cast<uint8_t>((data_[index] & low) | (value << shift));
        data_[index + 1] = static_cast<uint8_t>((data_[index + 1] & ~low) | (value >> (8 - shift)));
    }
    AdvanceWrite(8);
}

void Buffer::PutFlag(bool value)
{
    PutByte(value ? 1 : 0);
}

void Buffer::PutU16(int16_t value)
{
    const auto bits = static_cast<uint16_t>(value);
    PutByte(static_cast<uint8_t>(bits & 0xFF));
    PutByte(static_cast<uint8_t>(bits >> 8));
}

void Buffer::PutU32(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        PutByte(static_cast<uint8_t>(bits >> (8 * i)));
    }
}

bool Buffer::PutText(const std::string& text)
{
    if (text.size() > static_cast<size_t>(kMaxTextLength)) {
        PutU16(0);
        return false;
    }
    PutU16(static_cast<int16_t>(text.size()));
    PutBytes(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int>(text.size()));
    return true;
}

void Buffer::PutBytes(const uint8_t* bytes, int count)
{
    if (bytes == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        PutByte(bytes[i]);
    }
}

uint32_t Buffer::TakeBits(int count, bool signExtend)
{
    count = ClampBitCount(count);
    uint32_t result = 0;
    bool lastBit = false;
    for (int i = 0; i < count; ++i) {
        const size_t index = static_cast<size_t>(readPos_) / 8;
        if (readPos_ < 0 || index >= data_.size()) {
            break;
        }
        lastBit = (data_[index] >> (readPos_ % 8)) & 1u;
        if (lastBit) {
            result |= 1u << i;
        }
        ++readPos_;
    }
    if (signExtend && lastBit && count < 32) {
        result |= ~0u << count;
    }
    return result;
}

uint8_t Buffer::TakeByte()
{
    const int64_t r = readPos_;
    if (r < 0 || static_cast<uint64_t>((r + 7) / 8) >= data_.size()) {
        return 0;
    }
    const size_t index = static_cast<size_t>(r / 8);
    const int shift = static_cast<int>(r % 8);
    uint8_t result;
    if (shift == 0) {
        result = data_[index];
    } else {
        result = static_cast<uint8_t>((data_[index] >> shift) | (data_[index + 1] << (8 - shift)));
    }
    readPos_ += 8;
    return result;
}

bool Buffer::TakeFlag()
{
    return TakeByte() != 0;
}

int16_t Buffer::TakeU16()
{
    const uint16_t low = TakeByte();
    const uint16_t high = TakeByte();
    return static_cast<int16_t>(low | (high << 8));
}

int32_t Buffer::TakeU32()
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(TakeByte()) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

void Buffer::TakeBytes(uint8_t* bytes, int count)
{
    if (bytes == nullptr) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        bytes[i] = TakeByte();
    }
}

std::string Buffer::TakeText()
{
    const int length = TakeU16();
    if (length < 1) {
        return {};
    }
    std::string text(static_cast<size_t>(length), '\0');
    TakeBytes(reinterpret_cast<uint8_t*>(text.data()), length);
    return text;
}

void Buffer::Reset()
{
    data_.clear();
    bitLength_ = 0;
    readPos_ = 0;
    writePos_ = 0;
}

void Buffer::Adopt(std::vector<uint8_t>&& bytes)
{
    data_ = std::move(bytes);
    if (data_.size() > size_t(kMaxBytes))
        data_.resize(size_t(kMaxBytes));
    bitLength_ = 8 * static_cast<int32_t>(data_.size());
    readPos_ = 0;
    writePos_ = 0;
}

bool Buffer::ReserveAll()
{
    try {
        data_.reserve(size_t(kMaxBytes) + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Buffer::Assign(const uint8_t* bytes, int count)
{
    if (bytes == nullptr || count < 0) {
        count = 0;
    }
    count = std::min(count, kMaxBytes);
    data_.assign(bytes, bytes + count);
    bitLength_ = 8 * count;
}

} // namespace Zolt
