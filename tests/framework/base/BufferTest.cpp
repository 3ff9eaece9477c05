#include "framework/base/Buffer.h"

#include <gtest/gtest.h>

#include <vector>

using Zolt::Buffer;

namespace {

std::vector<uint8_t> BytesOf(const Buffer& buffer)
{
    const uint8_t* p = buffer.Bytes();
    return p ? std::vector<uint8_t>(p, p + buffer.ByteSize()) : std::vector<uint8_t>{};
}

} // namespace

TEST(Buffer, BitsAndStraddlingByteLandWhereTheStreamOrderSays)
{
    Buffer buffer;
    buffer.PutBits(5, 3);
    buffer.PutByte(0xFF);
    EXPECT_EQ(BytesOf(buffer), (std::vector<uint8_t>{0xFD, 0x07}));
    EXPECT_EQ(buffer.BitLength(), 11);
    EXPECT_EQ(buffer.ByteSize(), 2);

    EXPECT_EQ(buffer.TakeBits(3, false), 5u);
    EXPECT_EQ(buffer.TakeByte(), 0xFF);
    EXPECT_TRUE(buffer.Exhausted());
}

TEST(Buffer, MixedValuesAtOddBitOffsetsReadBackUnchanged)
{
    Buffer buffer;
    buffer.PutBits(1, 1);
    buffer.PutU16(-2);
    buffer.PutU32(0x12345678);
    buffer.PutFlag(true);
    buffer.PutBits(0x2A, 7);
    EXPECT_TRUE(buffer.PutText("hello"));
    const uint8_t raw[3] = {0x00, 0x80, 0xFF};
    buffer.PutBytes(raw, 3);
    buffer.PutU32(-1);

    // A reader sees only the bytes, as after loading a demo file.
    Buffer reader;
    reader.Assign(buffer.Bytes(), buffer.ByteSize());
    EXPECT_EQ(reader.TakeBits(1, false), 1u);
    EXPECT_EQ(reader.TakeU16(), -2);
    EXPECT_EQ(reader.TakeU32(), 0x12345678);
    EXPECT_TRUE(reader.TakeFlag());
    EXPECT_EQ(reader.TakeBits(7, false), 0x2Au);
    EXPECT_EQ(reader.TakeText(), "hello");
    uint8_t back[3] = {};
    reader.TakeBytes(back, 3);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 3), std::vector<uint8_t>(raw, raw + 3));
    EXPECT_EQ(reader.TakeU32(), -1);
}

TEST(Buffer, SignExtensionCopiesTheLastBitUpward)
{
    Buffer buffer;
    buffer.PutBits(0x9, 4); // bits 1, 0, 0, 1
    buffer.PutBits(0x9, 4);
    EXPECT_EQ(static_cast<int32_t>(buffer.TakeBits(4, true)), -7);
    EXPECT_EQ(buffer.TakeBits(4, false), 9u);

    Buffer positive;
    positive.PutBits(0x3, 4);
    EXPECT_EQ(positive.TakeBits(4, true), 3u);
}

TEST(Buffer, ReadingPastTheEndGivesZeroAndKeepsThePosition)
{
    Buffer buffer;
    buffer.PutBits(0x3, 5);
    EXPECT_EQ(buffer.TakeBits(2, false), 3u);
    EXPECT_EQ(buffer.TakeByte(), 0); // its last bit would lie in a missing byte
    EXPECT_EQ(buffer.ReadPosition(), 2);
    EXPECT_EQ(buffer.TakeBits(20, false), 0u); // stops at the end of the data
    EXPECT_TRUE(buffer.Exhausted());
    EXPECT_EQ(buffer.TakeText(), "");
}

TEST(Buffer, ReadingPastTheEndOfALongBufferGivesZeroWhateverLayBeyondIt)
{
    // The buffer held more bytes before: their memory may still be there.
    Buffer buffer;
    const std::vector<uint8_t> ones(32, 0xFF);
    buffer.Assign(ones.data(), 32);
    buffer.Assign(ones.data(), 16);
    uint8_t bytes[16] = {};
    buffer.TakeBytes(bytes, 16);
    EXPECT_EQ(buffer.TakeByte(), 0);
    EXPECT_EQ(buffer.TakeU32(), 0);
    EXPECT_EQ(buffer.ReadPosition(), 128);
}

TEST(Buffer, OnlyTheBitsAskedForAreWrittenAndTheyReplaceWhatWasThere)
{
    Buffer buffer;
    buffer.PutBits(0xFF, 3);
    EXPECT_EQ(BytesOf(buffer), std::vector<uint8_t>{0x07}) << "the bits of the value above the count are left out";

    // Written over bytes assigned before, zeros clear the bits they land on.
    Buffer over;
    const uint8_t ones[2] = {0xFF, 0xFF};
    over.Assign(ones, 2);
    over.PutBits(0, 12);
    EXPECT_EQ(BytesOf(over), (std::vector<uint8_t>{0x00, 0xF0}));
}

TEST(Buffer, BitCountsOutsideZeroToThirtyTwoAreClamped)
{
    Buffer buffer;
    buffer.PutBits(0xFFFFFFFFu, 40);
    EXPECT_EQ(buffer.BitLength(), 32);
    buffer.PutBits(1, -3);
    EXPECT_EQ(buffer.BitLength(), 32);
    buffer.PutByte(0xAB);
    EXPECT_EQ(buffer.TakeBits(100, true), 0xFFFFFFFFu);
    EXPECT_EQ(buffer.TakeBits(-1, true), 0u);
    EXPECT_EQ(buffer.TakeByte(), 0xAB);
}

TEST(Buffer, EmptyAndOverlongTextsKeepTheStreamInStep)
{
    Buffer buffer;
    EXPECT_TRUE(buffer.PutText(""));
    EXPECT_EQ(buffer.ByteSize(), 2);
    EXPECT_TRUE(buffer.PutText(std::string(Buffer::kMaxTextLength, 'a')));
    EXPECT_FALSE(buffer.PutText(std::string(Buffer::kMaxTextLength + 1, 'b')));
    buffer.PutU16(77);

    EXPECT_EQ(buffer.TakeText(), "");
    EXPECT_EQ(buffer.TakeText(), std::string(Buffer::kMaxTextLength, 'a'));
    EXPECT_EQ(buffer.TakeText(), ""); // the refused text
    EXPECT_EQ(buffer.TakeU16(), 77);
    EXPECT_TRUE(buffer.Exhausted());
}

TEST(Buffer, AssignKeepsPositionsAndWritingAfterItStaysInsideTheData)
{
    Buffer buffer;
    buffer.PutU32(0x01020304);
    buffer.PutBits(1, 3);
    const uint8_t two[2] = {0xAA, 0xBB};
    buffer.Assign(two, 2);
    EXPECT_EQ(buffer.BitLength(), 16);
    EXPECT_EQ(buffer.WritePosition(), 35);
    // The write position now lies beyond the two bytes; the write must grow
    // the data to reach it rather than touch memory it does not own.
    buffer.PutByte(0x5A);
    EXPECT_EQ(buffer.BitLength(), 43);
    EXPECT_EQ(buffer.TakeByte(), 0xAA);

    buffer.Reset();
    EXPECT_EQ(buffer.Bytes(), nullptr);
    EXPECT_EQ(buffer.ByteSize(), 0);
    EXPECT_TRUE(buffer.Exhausted());
}
