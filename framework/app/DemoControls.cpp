// The developer's controls of a played demo: speed, pause, single updates,
// jumps to a time or a marker, and demo sound. Jumps only ever move forward:
// the timing core fast-forwards while the update count is below the target.
// Main thread.
#include "framework/app/ZoltAppBase.h"

#include "platform/core/Clock.h"
#include "platform/registry/Registry.h"
#include "platform/window/SystemDialogs.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

using namespace platform;

namespace Zolt {

namespace {

// "hh:mm:ss" of a span of updates.
std::string UpdatesAsClock(int64_t updates, int frameTime)
{
    int64_t seconds = std::max<int64_t>(0, updates) * frameTime / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

} // namespace

void ZoltAppBase::HandlePlaybackChar(int c)
{
    static constexpr int kBackMs[] = {120000, 90000, 60000, 30000, 10000, 5000};
    const int frame = std::max(1, frameTime);
    switch (c) {
    case '+': demoSpeed *= 1.5; break;
    case '-': demoSpeed /= 1.5; break;
    case '=': demoSpeed = 1.0; break;
    case '0': demo_.jumpTarget = demo_.finalUpdate; break;
    case '4': case '5': case '6': case '7': case '8': case '9':
        demo_.jumpTarget = demo_.finalUpdate - kBackMs[c - '4'] / frame;
        break;
    case 'J': case 'j': ShowJumpDialog(); break;
    case 'L': case 'l': ShowMarkerList(); break;
    case 'M': case 'm': demo_.skipToEnd = true; break;
    case 'N': case 'n':
        demo_.jumpTarget = updateCount_ + 1;
        demo_.singleStepRedraw = true;
        break;
    case 'P': case 'p':
        paused_ = !paused_;
        ResetFrameTiming(false);
        break;
    case 'S': case 's': ToggleDemoSound(); break;
    default: break;
    }
}

void ZoltAppBase::ToggleDemoSound()
{
    if (MusicLevel() == 0.0) {
        SetMusicLevel(demo_.savedMusicVolume);
    } else {
        demo_.savedMusicVolume = MusicLevel();
        SetMusicLevel(0.0);
    }
    if (EffectsLevel() == 0.0) {
        SetEffectsLevel(demo_.savedEffectsVolume);
    } else {
        demo_.savedEffectsVolume = EffectsLevel();
        SetEffectsLevel(0.0);
    }
}

void ZoltAppBase::RestoreDemoSound()
{
    // Only levels the demo switched off are given back; a level the player
    // never touched keeps its value.
    if (MusicLevel() == 0.0 && demo_.savedMusicVolume > 0.0)
        SetMusicLevel(demo_.savedMusicVolume);
    if (EffectsLevel() == 0.0 && demo_.savedEffectsVolume > 0.0)
        SetEffectsLevel(demo_.savedEffectsVolume);
}

void ZoltAppBase::ShowMarkerList()
{
    std::vector<std::string> items;
    std::vector<int32_t> updates;
    for (const DemoMarker& marker : demo_.markers) {
        if (marker.update <= updateCount_)
            continue;
        items.push_back(marker.name + " (" +
                        UpdatesAsClock(int64_t(demo_.finalUpdate) - marker.update, frameTime) + ")");
        updates.push_back(marker.update);
    }
    EnterSystemDialog();
    const int chosen = ChooseFromList(mainWindow_, "Marker List", items);
    LeaveSystemDialog();
    if (chosen >= 0 && size_t(chosen) < updates.size() && updates[size_t(chosen)] > updateCount_)
        demo_.jumpTarget = updates[size_t(chosen)];
}

void ZoltAppBase::ShowJumpDialog()
{
    // The last time asked for lives in the application key, read and written
    // directly: it is the developer's, not part of the played run.
    std::string initial;
    HKEY key = nullptr;
    std::string name;
    if (OpenRegistryKey("DemoJumpTime", false, nullptr, &key, &name)) {
        char text[1001] = {};
        DWORD type = 0;
        DWORD size = 1000;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ)
            initial.assign(text, std::min<size_t>(size, 1000));
        while (!initial.empty() && initial.back() == '\0')
            initial.pop_back();
        RegCloseKey(key);
    }
    EnterSystemDialog();
    const std::optional<std::string> answer = EnterText(mainWindow_, "Jump To Time", initial, 500);
    LeaveSystemDialog();
    if (!answer)
        return;
    key = nullptr;
    if (OpenRegistryKey("DemoJumpTime", true, nullptr, &key, &name)) {
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(answer->data()),
                       DWORD(answer->size()));
        RegCloseKey(key);
    }
    int64_t seconds = 0;
    size_t start = 0;
    for (;;) {
        const size_t colon = answer->find(':', start);
        const std::string field = answer->substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        seconds = std::clamp<int64_t>(seconds * 60 + std::atoi(field.c_str()), -(int64_t(1) << 40), int64_t(1) << 40);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    const int64_t target = int64_t(demo_.finalUpdate) - (seconds + 1) * 1000 / std::max(1, frameTime);
    demo_.jumpTarget = int32_t(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX));
}

// Whether the timing core should fast-forward now.
bool ZoltAppBase::IsDemoFastForwarding() const
{
    return playing_ && ((demo_.skipToEnd && !demo_.stream.Ended()) || updateCount_ < demo_.jumpTarget);
}

} // namespace Zolt

namespace Zolt {

void ZoltAppBase::FastForwardDemo()
{
    if (!demo_.mutedForJump) {
        demo_.mutedForJump = true;
        Silence(true);
    }
    const uint32_t start = platform::timeGetTime();
    while (IsDemoFastForwarding() && !quit_) {
        PlayDemoCommand();
        if (!GuardedUpdate())
            break;
        ProcessDeletions();
        if (platform::timeGetTime() - start >= 1000)
            break;
    }
    PlayDemoCommand();
    const bool done = !IsDemoFastForwarding();
    if (done) {
        demo_.skipToEnd = false;
        demo_.singleStepRedraw = false;
        if (demo_.mutedForJump) {
            demo_.mutedForJump = false;
            Unsilence(true);
        }
        ResetFrameTiming(false);
    }
    // Once a second while running on, and once at the end of a jump (a
    // single update included).
    forceRedraw_ = true;
    RedrawIfNeeded();
    loopState_ = 3;
}

} // namespace Zolt
