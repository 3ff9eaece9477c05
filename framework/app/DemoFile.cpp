#include "framework/app/DemoFile.h"

#include <algorithm>

namespace Zolt {

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// A bounded little-endian reader over the file's bytes.
class ByteReader {
public:
    ByteReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    bool Take(int count, uint32_t& value)
    {
        if (size_ - pos_ < size_t(count))
            return false;
        value = 0;
        for (int i = 0; i < count; ++i)
            value |= uint32_t(bytes_[pos_ + size_t(i)]) << (8 * i);
        pos_ += size_t(count);
        return true;
    }
    bool TakeText(size_t length, std::string& out)
    {
        if (size_ - pos_ < length)
            return false;
        out.assign(reinterpret_cast<const char*>(bytes_ + pos_), length);
        pos_ += length;
        return true;
    }
    size_t Left() const { return size_ - pos_; }
    size_t Position() const { return pos_; }
    void Skip(size_t count) { pos_ += std::min(count, Left()); }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t pos_ = 0;
};

const char* const kInvalid = "Invalid demo file.";

// The long commands a recording writes; the other ids of the five bits are
// written by none.
bool IsRecordedLongId(int id)
{
    switch (id) {
    case kDemoMouseMoveTo:
    case kDemoActivate:
    case kDemoMinimize:
    case kDemoKeyDown:
    case kDemoKeyUp:
    case kDemoChar:
    case kDemoClose:
    case kDemoMouseEnter:
    case kDemoMouseLeave:
    case kDemoLoadingDone:
    case kDemoRegistryRead:
    case kDemoRegistryWrite:
    case kDemoFileRead:
    case kDemoTransfer:
    case kDemoRelay:
    case kDemoWheel:
    case kDemoScreenMode:
    case kDemoPadding: return true;
    default: return false;
    }
}

} // namespace

std::vector<uint8_t> DemoFileData::Serialize() const
{
    std::vector<uint8_t> out = SerializeHead();
    out.insert(out.end(), commands.begin(), commands.end());
    return out;
}

std::vector<uint8_t> DemoFileData::SerializeHead() const
{
    std::vector<uint8_t> out;
    PutLe(out, kMagic, 4);
    PutLe(out, version, 4);
    PutLe(out, seed, 4);
    const size_t textLength = std::min<size_t>(versionText.size(), kMaxVersionText);
    PutLe(out, uint32_t(textLength), 2);
    out.insert(out.end(), versionText.begin(), versionText.begin() + std::ptrdiff_t(textLength));
    if (version >= 2) { // the files before 2 have no markers
        std::vector<uint8_t> block;
        PutLe(block, uint32_t(markers.size()), 4);
        for (const DemoMarker& marker : markers) {
            const size_t length = std::min<size_t>(marker.name.size(), 0xFFFF);
            PutLe(block, uint32_t(length), 2);
            block.insert(block.end(), marker.name.begin(), marker.name.begin() + std::ptrdiff_t(length));
            PutLe(block, uint32_t(marker.update), 4);
        }
        PutLe(out, uint32_t(block.size()), 4);
        out.insert(out.end(), block.begin(), block.end());
    }
    PutLe(out, uint32_t(finalUpdate), 4);
    return out;
}

bool DemoFileData::Parse(const uint8_t* bytes, size_t size, std::string& error)
{
    size_t commandsAt = 0;
    std::vector<uint8_t> keptCommands = std::move(commands);
    if (!ParseHead(bytes, size, error, commandsAt)) {
        commands = std::move(keptCommands);
        return false;
    }
    commands.assign(bytes + commandsAt, bytes + size);
    return true;
}

bool DemoFileData::ParseHead(const uint8_t* bytes, size_t size, std::string& error, size_t& commandsAt)
{
    ByteReader in(bytes, bytes ? size : 0);
    uint32_t magic = 0;
    if (!in.Take(4, magic) || magic != kMagic) {
        error = kInvalid;
        return false;
    }
    DemoFileData read;
    uint32_t textLength = 0;
    if (!in.Take(4, read.version) || !in.Take(4, read.seed) || !in.Take(2, textLength)) {
        error = kInvalid;
        return false;
    }
    // Longer texts are cut to the cap; the rest of the stored text is passed over.
    const size_t kept = std::min<size_t>(textLength, kMaxVersionText);
    if (!in.TakeText(kept, read.versionText) || in.Left() < textLength - kept) {
        error = kInvalid;
        return false;
    }
    in.Skip(textLength - kept);
    if (read.version >= 2) {
        uint32_t blockSize = 0;
        if (!in.Take(4, blockSize) || in.Left() < 4 || blockSize >= in.Left() - 4 + 1) {
            error = kInvalid;
            return false;
        }
        ByteReader block(bytes + in.Position(), blockSize);
        in.Skip(blockSize);
        uint32_t count = 0;
        if (!block.Take(4, count)) {
            error = kInvalid;
            return false;
        }
        // Each marker takes at least six bytes, so a count the block cannot
        // hold is refused before anything is reserved for it.
        if (count > block.Left() / 6) {
            error = kInvalid;
            return false;
        }
        for (uint32_t i = 0; i < count; ++i) {
            DemoMarker marker;
            uint32_t length = 0;
            uint32_t update = 0;
            if (!block.Take(2, length) || !block.TakeText(length, marker.name) || !block.Take(4, update)) {
                error = kInvalid;
                return false;
            }
            marker.update = int32_t(update);
            read.markers.push_back(std::move(marker));
        }
    }
    uint32_t finalUpdate = 0;
    if (!in.Take(4, finalUpdate)) {
        error = kInvalid;
        return false;
    }
    read.finalUpdate = int32_t(finalUpdate);
    commandsAt = in.Position();
    *this = std::move(read);
    return true;
}

// ---- DemoStream ----

void DemoStream::WriteTime(int updateCount)
{
    while (updateCount - commandUpdate_ > kMaxDelta) {
        buffer_.PutBits(kMaxDelta, 4);
        buffer_.PutBits(0, 1);
        buffer_.PutBits(kDemoPadding, 5);
        commandUpdate_ += kMaxDelta;
    }
    // Commands never go back in time; a count behind the last one (it cannot
    // happen in one run) is written as due at once.
    const int delta = std::max(0, updateCount - commandUpdate_);
    buffer_.PutBits(uint32_t(delta), 4);
    commandUpdate_ = std::max(commandUpdate_, updateCount);
}

void DemoStream::WriteHeader(int updateCount, bool isShort, int id)
{
    WriteTime(updateCount);
    buffer_.PutBits(isShort ? 1 : 0, 1);
    buffer_.PutBits(uint32_t(id), isShort ? 1 : 5);
}

std::vector<uint8_t> DemoStream::ClosingTail(int updateCount) const
{
    DemoStream closing;
    closing.commandUpdate_ = commandUpdate_;
    const int partialBits = buffer_.BitLength() % 8;
    if (partialBits > 0)
        closing.buffer_.PutBits(buffer_.Bytes()[buffer_.BitLength() / 8], partialBits);
    closing.WriteHeader(updateCount, false, kDemoPadding);
    const Buffer& bits = closing.buffer_;
    return std::vector<uint8_t>(bits.Bytes(), bits.Bytes() + bits.ByteSize());
}

void DemoStream::SeekRead(int bitPosition)
{
    if (bitPosition < 0 || bitPosition > buffer_.ReadPosition())
        return;
    // The buffer only reads forward: start over and pass the bits again.
    buffer_.Rewind();
    int left = bitPosition;
    while (left > 0) {
        const int step = std::min(left, 32);
        buffer_.TakeBits(step, false);
        left -= step;
    }
}

bool DemoStream::KeepInPlace()
{
    keptInPlace_ = buffer_.ReserveAll();
    return keptInPlace_;
}

void DemoStream::Load(std::vector<uint8_t> bytes)
{
    buffer_.Adopt(std::move(bytes));
    keptInPlace_ = false;
    commandUpdate_ = 0;
    needHeader_ = true;
    ended_ = false;
    broken_ = false;
}

bool DemoStream::ReadHeaderIfNeeded()
{
    if (ended_)
        return false;
    if (!needHeader_)
        return true;
    if (BitsLeft() < 6) {
        ended_ = true;
        return false;
    }
    const int delta = int(buffer_.TakeBits(4, false));
    pendingShort_ = buffer_.TakeBits(1, false) != 0;
    const int idBits = pendingShort_ ? 1 : 5;
    if (BitsLeft() < idBits) {
        ended_ = true;
        return false;
    }
    pendingId_ = int(buffer_.TakeBits(idBits, false));
    if (!pendingShort_ && !IsRecordedLongId(pendingId_)) {
        ended_ = broken_ = true;
        return false;
    }
    commandUpdate_ += delta;
    needHeader_ = false;
    return true;
}

DemoStream::Ending DemoStream::CheckEnd(int finalUpdate)
{
    bool any = false;
    bool closed = false;
    while (ReadHeaderIfNeeded()) {
        any = true;
        closed = !pendingShort_ && pendingId_ == kDemoPadding && commandUpdate_ == finalUpdate;
        Consume();
        SkipPayload(pendingShort_, pendingId_);
    }
    const Ending end = broken_ ? Ending::Broken : (any ? closed : finalUpdate == 0) ? Ending::Closed : Ending::Open;
    buffer_.Rewind();
    commandUpdate_ = 0;
    needHeader_ = true;
    ended_ = false;
    broken_ = false;
    return end;
}

int32_t DemoStream::Bits(int count, bool signExtend)
{
    if (ended_ || BitsLeft() < count) {
        broken_ = broken_ || !ended_;
        ended_ = true;
        return 0;
    }
    return int32_t(buffer_.TakeBits(count, signExtend));
}

uint32_t DemoStream::U32()
{
    if (ended_ || BitsLeft() < 32) {
        broken_ = broken_ || !ended_;
        ended_ = true;
        return 0;
    }
    return uint32_t(buffer_.TakeU32());
}

bool DemoStream::Bytes(uint32_t length, std::vector<uint8_t>& out)
{
    if (ended_ || BitsLeft() / 8 < int64_t(length)) {
        broken_ = broken_ || !ended_;
        ended_ = true;
        out.clear();
        return false;
    }
    out.resize(length);
    buffer_.TakeBytes(out.data(), int(length));
    return true;
}

void DemoStream::SkipPayload(bool isShort, int id)
{
    std::vector<uint8_t> scratch;
    if (isShort) {
        Bits(id == kDemoShortMouseMove ? 12 : 4, false);
        return;
    }
    switch (id) {
    case kDemoMouseMoveTo: Bits(24, false); break;
    case kDemoActivate: Bits(1, false); break;
    case kDemoMinimize:
    case kDemoKeyDown:
    case kDemoKeyUp:
    case kDemoWheel: Bits(8, false); break;
    case kDemoChar: Bits(Bits(1, false) ? 16 : 8, false); break;
    case kDemoRegistryRead:
        if (Bits(1, false)) {
            U32();
            Bytes(U32(), scratch);
        }
        break;
    case kDemoRegistryWrite: Bits(1, false); break;
    case kDemoFileRead:
        if (Bits(1, false))
            Bytes(U32(), scratch);
        break;
    case kDemoTransfer:
        U32();
        Bits(8, false);
        Bytes(uint32_t(Bits(16, false)), scratch);
        break;
    case kDemoRelay: Bytes(U32(), scratch); break;
    case kDemoScreenMode: Bits(16, false); break;
    default: break; // no payload
    }
}

} // namespace Zolt
