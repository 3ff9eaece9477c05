// A played command stream tells a recording that simply ends from one that
// is damaged: cut inside a command's payload, or at a command no recording
// writes. Loading another stream starts whole again.
#include "framework/app/DemoFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Zolt;

namespace {

std::vector<uint8_t> BytesOf(DemoStream& out)
{
    return std::vector<uint8_t>(out.Data().Bytes(), out.Data().Bytes() + out.Data().ByteSize());
}

// One whole relay command whose payload is a count of 32 bits.
std::vector<uint8_t> WholeRecording()
{
    DemoStream out;
    out.WriteHeader(3, false, kDemoRelay);
    out.Data().PutU32(7);
    return BytesOf(out);
}

TEST(DemoStreamDamage, AStreamThatEndsBetweenCommandsHasEndedWhole)
{
    DemoStream in;
    in.Load(WholeRecording());
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    in.Consume();
    EXPECT_EQ(in.U32(), 7u);
    EXPECT_FALSE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.Ended());
    EXPECT_FALSE(in.Broken());
}

TEST(DemoStreamDamage, ACutInsideAPayloadOrACommandNoRecordingWritesIsDamage)
{
    DemoStream cut;
    cut.WriteHeader(3, false, kDemoRelay);
    cut.Data().PutBits(0x3, 2); // two bits of the count's 32
    DemoStream in;
    in.Load(BytesOf(cut));
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    EXPECT_FALSE(in.Broken()) << "a whole header is no damage yet";
    in.Consume();
    EXPECT_EQ(in.U32(), 0u);
    EXPECT_TRUE(in.Ended());
    EXPECT_TRUE(in.Broken());

    DemoStream bits;
    bits.WriteHeader(3, false, kDemoKeyDown);
    in.Load(BytesOf(bits));
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    in.Consume();
    EXPECT_EQ(in.Bits(32, false), 0);
    EXPECT_TRUE(in.Broken());

    // Id 10 of the long commands: none is written under it.
    DemoStream stranger;
    stranger.WriteHeader(3, false, 10);
    stranger.Data().PutU32(0);
    in.Load(BytesOf(stranger));
    EXPECT_FALSE(in.ReadHeaderIfNeeded());
    EXPECT_TRUE(in.Ended());
    EXPECT_TRUE(in.Broken());

    // Another stream loaded after the damage is read whole.
    in.Load(WholeRecording());
    EXPECT_FALSE(in.Broken());
    ASSERT_TRUE(in.ReadHeaderIfNeeded());
    in.Consume();
    EXPECT_EQ(in.U32(), 7u);
    EXPECT_FALSE(in.ReadHeaderIfNeeded());
    EXPECT_FALSE(in.Broken());
}

} // namespace
