#include "framework/app/DemoPlaybackControls.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace Zolt {

std::string DemoClockText(int64_t updates, int frameTime)
{
    const int64_t seconds = std::max<int64_t>(0, updates) * frameTime / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

DemoPlaybackControls::Request DemoPlaybackControls::HandleKey(int key, const Position& at, double& speed)
{
    static constexpr int kBackMs[] = {120000, 90000, 60000, 30000, 10000, 5000};
    const int frame = std::max(1, at.frameTime);
    switch (key) {
    case '+': speed *= 1.5; break;
    case '-': speed /= 1.5; break;
    case '=': speed = 1.0; break;
    case '0': jumpTarget_ = at.finalUpdate; break;
    case '4': case '5': case '6': case '7': case '8': case '9':
        jumpTarget_ = at.finalUpdate - kBackMs[key - '4'] / frame;
        break;
    case 'J': case 'j': return Request::ShowJumpDialog;
    case 'L': case 'l': return Request::ShowMarkerList;
    case 'M': case 'm': skipToEnd_ = true; break;
    case 'N': case 'n':
        jumpTarget_ = at.update + 1;
        singleStepRedraw_ = true;
        break;
    case 'P': case 'p':
        paused_ = !paused_;
        return Request::ResetFrameTiming;
    case 'S': case 's': return Request::ToggleSound;
    default: break;
    }
    return Request::None;
}

void DemoPlaybackControls::JumpToTimeLeft(const std::string& text, const Position& at)
{
    int64_t seconds = 0;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        const std::string field = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        seconds = std::clamp<int64_t>(seconds * 60 + std::atoi(field.c_str()), -(int64_t(1) << 40), int64_t(1) << 40);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    const int64_t target = int64_t(at.finalUpdate) - (seconds + 1) * 1000 / std::max(1, at.frameTime);
    jumpTarget_ = int32_t(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX));
}

std::vector<DemoPlaybackControls::MarkerChoice>
DemoPlaybackControls::UpcomingMarkers(const std::vector<DemoMarker>& markers, const Position& at)
{
    std::vector<MarkerChoice> choices;
    for (const DemoMarker& marker : markers) {
        if (marker.update <= at.update)
            continue;
        const std::string left = DemoClockText(int64_t(at.finalUpdate) - marker.update, at.frameTime);
        choices.push_back(MarkerChoice{marker.name + " (" + left + ")", marker.update});
    }
    return choices;
}

bool DemoPlaybackControls::BeginJumpMute()
{
    if (mutedForJump_)
        return false;
    mutedForJump_ = true;
    return true;
}

bool DemoPlaybackControls::EndJump()
{
    skipToEnd_ = false;
    singleStepRedraw_ = false;
    const bool hadMuted = mutedForJump_;
    mutedForJump_ = false;
    return hadMuted;
}

DemoPlaybackControls::SoundLevels DemoPlaybackControls::ToggleSound(SoundLevels now)
{
    SoundLevels next;
    if (now.music == 0.0) {
        next.music = savedMusic_;
    } else {
        savedMusic_ = now.music;
        next.music = 0.0;
    }
    if (now.effects == 0.0) {
        next.effects = savedEffects_;
    } else {
        savedEffects_ = now.effects;
        next.effects = 0.0;
    }
    return next;
}

std::optional<double> DemoPlaybackControls::MusicToRestore(double now) const
{
    if (now == 0.0 && savedMusic_ > 0.0)
        return savedMusic_;
    return std::nullopt;
}

std::optional<double> DemoPlaybackControls::EffectsToRestore(double now) const
{
    if (now == 0.0 && savedEffects_ > 0.0)
        return savedEffects_;
    return std::nullopt;
}

} // namespace Zolt
