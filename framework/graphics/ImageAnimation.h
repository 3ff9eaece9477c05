// How an image made of cels animates: the kind of playback, the delays of its
// steps and which cel each step shows. Owned by an image and copied with it;
// filled by the resource reader and read on the main thread.
#pragma once

#include <cstdint>
#include <vector>

namespace Zolt {

class ImageAnimation {
public:
    enum Type : int32_t { None = 0, Once = 1, PingPong = 2, Loop = 3 };

    // Settles the frame count, builds the ping-pong frame map, applies the
    // begin and end delays and sums the total time.
    void Prepare(int32_t frameCount, int32_t beginDelay, int32_t endDelay);

    // Grows the per-frame delays to index + 1 entries when needed (new
    // entries 0, meaning "use the frame delay"), then stores the delay.
    void SetFrameDelay(int32_t index, int32_t delay);

    int32_t type = None;
    int32_t frameDelay = 1;
    int32_t frameCount = 1;
    std::vector<int32_t> perFrameDelays;
    std::vector<int32_t> frameMap;
    int32_t totalTime = 0;
};

} // namespace Zolt
