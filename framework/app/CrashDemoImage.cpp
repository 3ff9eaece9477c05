#include "framework/app/CrashDemoImage.h"

#include "platform/crash/CrashReportText.h"

#include <algorithm>

namespace Zolt {

void CrashDemoImage::Prepare(uint32_t seed, const std::string& versionText, const std::vector<DemoMarker>& markers,
                             const DemoStream& stream, int updateCount)
{
    if (frozen_.load() || !stream.IsKeptInPlace())
        return;
    const size_t wholeBytes = size_t(std::max(0, stream.Data().BitLength())) / 8;
    Slot& slot = slots_[published_.load() == 0 ? 1 : 0];
    DemoFileData head;
    head.seed = seed;
    head.versionText = versionText;
    head.markers = markers;
    head.finalUpdate = updateCount;
    slot.head = head.Serialize();
    slot.tail = stream.ClosingTail(updateCount);
    slot.stream = stream.Data().Bytes();
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
    const platform::ByteSpan spans[] = {
        {slot.head.data(), slot.head.size()}, {slot.stream, slot.streamBytes}, {slot.tail.data(), slot.tail.size()}};
    return platform::WriteSpansToFile(slot.path.c_str(), spans, 3);
}

} // namespace Zolt
