#include "framework/app/CrashDemoImage.h"

#include "platform/crash/CrashReportText.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Zolt {

CrashDemoImage::~CrashDemoImage()
{
    for (auto& chunk : chunks_)
        delete[] chunk.load();
}

bool CrashDemoImage::MirrorStream(const Buffer& stream, size_t wholeBytes)
{
    // Bytes below the write position never change again while a recording
    // goes on; a stream that shrank was started over.
    if (wholeBytes < mirrored_)
        mirrored_ = 0;
    while (mirrored_ < wholeBytes) {
        const size_t index = mirrored_ / kChunkBytes;
        const size_t offset = mirrored_ % kChunkBytes;
        if (index >= kMaxChunks)
            return false;
        uint8_t* chunk = chunks_[index].load();
        if (!chunk) {
            chunk = new (std::nothrow) uint8_t[kChunkBytes];
            if (!chunk)
                return false;
            chunks_[index].store(chunk);
        }
        const size_t count = std::min(kChunkBytes - offset, wholeBytes - mirrored_);
        std::memcpy(chunk + offset, stream.Bytes() + mirrored_, count);
        mirrored_ += count;
    }
    return true;
}

void CrashDemoImage::Prepare(uint32_t seed, const std::string& versionText, const std::vector<DemoMarker>& markers,
                             const DemoStream& stream, int updateCount)
{
    if (frozen_.load())
        return;
    const size_t wholeBytes = size_t(std::max(0, stream.Data().BitLength())) / 8;
    if (!MirrorStream(stream.Data(), wholeBytes))
        return; // the last image that could be made stays
    Slot& slot = slots_[published_.load() == 0 ? 1 : 0];
    DemoFileData head;
    head.seed = seed;
    head.versionText = versionText;
    head.markers = markers;
    head.finalUpdate = updateCount;
    slot.head = head.Serialize();
    slot.tail = stream.ClosingTail(updateCount);
    slot.streamBytes = wholeBytes;
    slot.path = fileName_;
    if (frozen_.load())
        return;
    published_.store(&slot == &slots_[0] ? 0 : 1);
}

bool CrashDemoImage::WriteNow()
{
    frozen_.store(true);
    const int index = published_.load();
    if (index < 0)
        return false;
    const Slot& slot = slots_[size_t(index)];
    if (slot.path.empty())
        return false;
    platform::ByteSpan spans[kMaxChunks + 2];
    size_t count = 0;
    spans[count++] = {slot.head.data(), slot.head.size()};
    size_t left = slot.streamBytes;
    for (size_t i = 0; left > 0; ++i) {
        const uint8_t* chunk = i < kMaxChunks ? chunks_[i].load() : nullptr;
        if (!chunk)
            return false;
        const size_t take = std::min(left, kChunkBytes);
        spans[count++] = {chunk, take};
        left -= take;
    }
    spans[count++] = {slot.tail.data(), slot.tail.size()};
    return platform::WriteSpansToFile(slot.path.c_str(), spans, count);
}

} // namespace Zolt
