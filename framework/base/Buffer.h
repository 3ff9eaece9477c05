// A growable byte array written and read as a stream of bits. The demo
// recorder keeps its whole command stream in one, and the registry reads,
// file reads and transfer results it replays travel through the same stream.
//
// Bit n of the stream is bit (n mod 8) of byte n / 8, bit 0 being the least
// significant; multi-bit values go lowest bit first, multi-byte values lowest
// byte first. Whole bytes are written at the current bit position, so one may
// straddle two bytes of the array.
//
// Threads: a buffer belongs to one thread at a time; it takes no lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

class Buffer {
public:
    // A text's length travels as a signed 16-bit value, so this is the
    // longest text that reads back.
    static constexpr int kMaxTextLength = 32767;

    Buffer() = default;
    virtual ~Buffer() = default;

    // Writers: each moves the write position on and raises the bit length to
    // it. Counts are taken as 0..32.
    void PutBits(uint32_t value, int count);
    void PutByte(uint8_t value);
    void PutFlag(bool value);
    void PutU16(int16_t value);
    void PutU32(int32_t value);
    // Writes the length (16 bits) and the bytes. A text longer than
    // kMaxTextLength is refused: an empty text is written in its place, so
    // the stream stays readable, and the result is false.
    bool PutText(const std::string& text);
    void PutBytes(const uint8_t* bytes, int count);

    // Readers: each moves the read position on by what it read.
    uint32_t TakeBits(int count, bool signExtend);
    // 0, with the read position kept, when the byte would run past the data.
    uint8_t TakeByte();
    bool TakeFlag();
    int16_t TakeU16();
    int32_t TakeU32();
    void TakeBytes(uint8_t* bytes, int count);
    std::string TakeText();

    // Whole buffer.
    void Reset();
    // Replaces the data by a copy; the bit length becomes 8 x count and the
    // positions stay where they were.
    void Assign(const uint8_t* bytes, int count);
    // Takes the bytes over without copying them (a large stream read from a
    // file is held once); the bit length becomes 8 x their count (bytes past
    // what 32 bits of positions reach are dropped) and both positions go back
    // to the start.
    void Adopt(std::vector<uint8_t>&& bytes);
    // Reserves room for everything the buffer can ever hold, so that its
    // bytes never move as it grows: what was written may be read from
    // elsewhere (a fault's handler) while writing goes on. Only the pages
    // written to take memory. False when the room cannot be had.
    bool ReserveAll();
    void Rewind() { readPos_ = 0; }
    int ByteSize() const { return static_cast<int>((static_cast<int64_t>(bitLength_) + 7) / 8); }
    bool Exhausted() const { return readPos_ >= bitLength_; }
    const uint8_t* Bytes() const { return data_.empty() ? nullptr : data_.data(); }
    uint8_t* Bytes() { return data_.empty() ? nullptr : data_.data(); }

    int BitLength() const { return bitLength_; }
    int ReadPosition() const { return readPos_; }
    int WritePosition() const { return writePos_; }

private:
    // Makes sure the byte that holds bit `bit` exists.
    void EnsureByteFor(int64_t bit);
    void AdvanceWrite(int bits);

    std::vector<uint8_t> data_;
    int32_t bitLength_ = 0;
    int32_t readPos_ = 0;
    int32_t writePos_ = 0;
};

} // namespace Zolt
