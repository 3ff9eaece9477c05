// The demo fields of the application: what is being recorded or played, the
// playback position and the developer's playback controls.
//
// Threads: main thread only.
#pragma once

#include "framework/app/DemoFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

struct DemoState {
    DemoStream stream;
    int32_t finalUpdate = 0;
    std::vector<DemoMarker> markers;
    bool recordedLoadingFinished = false;
    int lastMouseX = 0;
    int lastMouseY = 0;
    int32_t jumpTarget = 0;
    bool skipToEnd = false;
    bool singleStepRedraw = false;
    bool mutedForJump = false;
    double savedMusicVolume = 0.0;
    double savedEffectsVolume = 0.0;
};

} // namespace Zolt
