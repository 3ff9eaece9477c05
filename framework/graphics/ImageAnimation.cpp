#include "framework/graphics/ImageAnimation.h"

#include <algorithm>
#include <cstdint>

#include <cstddef>

using std::size_t;

namespace Zolt {

void ImageAnimation::SetFrameDelay(int32_t index, int32_t delay)
{
    if (index < 0)
        return;
    if (perFrameDelays.size() <= static_cast<size_t>(index))
        perFrameDelays.resize(static_cast<size_t>(index) + 1, 0);
    perFrameDelays[static_cast<size_t>(index)] = delay;
}

void ImageAnimation::Prepare(int32_t count, int32_t beginDelay, int32_t endDelay)
{
    frameCount = count < 1 ? 1 : count;
    if (frameDelay < 1)
        frameDelay = 1;

    if (type == PingPong && frameCount >= 2) {
        frameMap.clear();
        for (int32_t i = 0; i < frameCount; ++i)
            frameMap.push_back(i);
        for (int32_t i = frameCount - 2; i >= 1; --i)
            frameMap.push_back(i);
    }
    if (!frameMap.empty())
        frameCount = static_cast<int32_t>(frameMap.size());

    if (beginDelay > 0)
        SetFrameDelay(0, beginDelay);
    if (endDelay > 0)
        SetFrameDelay(frameCount - 1, endDelay);

    // Summed in 64 bits and capped: delays read from a description can add up
    // past the 32-bit range.
    int64_t total = 0;
    if (!perFrameDelays.empty()) {
        perFrameDelays.resize(static_cast<size_t>(frameCount), 0);
        for (int32_t d : perFrameDelays)
            total += d >= 1 ? d : frameDelay;
    } else {
        total = int64_t(frameCount) * frameDelay;
    }
    totalTime = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));

    if (!frameMap.empty())
        frameMap.resize(static_cast<size_t>(frameCount), 0);
}

} // namespace Zolt
