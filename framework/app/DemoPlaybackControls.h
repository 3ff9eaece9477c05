// The developer's controls of a played demo: speed, pause, single updates,
// jumps to a time left or to a marker, skipping to the end, and switching
// the demo's sound off and on. Jumps only ever move forward: the loop
// fast-forwards while the update count is below the target.
//
// Threads: main thread only (playback keys come through the window
// procedure, the loop reads the state); no lock.
#pragma once

#include "framework/app/DemoFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Zolt {

// "hh:mm:ss" of a span of updates (none below 0).
std::string DemoClockText(int64_t updates, int frameTime);

class DemoPlaybackControls {
public:
    // Where the played demo stands.
    struct Position {
        int update = 0;
        int finalUpdate = 0;
        int frameTime = 10;
    };
    // What a playback key asks of the application beyond the controls' own
    // state.
    enum class Request { None, ResetFrameTiming, ShowJumpDialog, ShowMarkerList, ToggleSound };
    struct MarkerChoice {
        std::string text; // "name (hh:mm:ss)", the time from the marker to the end
        int32_t update = 0;
    };
    struct SoundLevels {
        double music = 0.0;
        double effects = 0.0;
    };

    // A character typed while the demo plays: '+', '-', '=' change the
    // speed; '0' and '4' to '9' jump to the end or to 120, 90, 60, 30, 10
    // or 5 s before it; 'n' plays one update; 'm' skips to the end; 'p'
    // pauses; 'j', 'l' and 's' ask for the jump box, the marker list and the
    // sound switch.
    Request HandleKey(int key, const Position& at, double& speed);

    bool IsPaused() const { return paused_; }
    int32_t JumpTarget() const { return jumpTarget_; }
    bool IsSkippingToEnd() const { return skipToEnd_; }
    bool IsSingleStepRedrawPending() const { return singleStepRedraw_; }
    // The loop should fast-forward now.
    bool IsFastForwarding(int update, bool streamEnded) const
    {
        return (skipToEnd_ && !streamEnded) || update < jumpTarget_;
    }

    void JumpToUpdate(int32_t update) { jumpTarget_ = update; }
    // Jumps to the time left given as "h:m:s" (fields may be left out at
    // the front: "90", "1:30"), counted back from the end.
    void JumpToTimeLeft(const std::string& text, const Position& at);
    // The markers still ahead of the played update.
    static std::vector<MarkerChoice> UpcomingMarkers(const std::vector<DemoMarker>& markers, const Position& at);

    // A fast-forward begins: true the first time, when the caller silences.
    bool BeginJumpMute();
    // The fast-forward reached its target: true when it had silenced (the
    // caller gives the sound back).
    bool EndJump();

    // The 's' key: the levels to set now (a level that is on goes to 0 and
    // is remembered; one that is off comes back).
    SoundLevels ToggleSound(SoundLevels now);
    // Leaving playback: the remembered level of each one the demo switched
    // off, nothing for a level the player never touched.
    std::optional<double> MusicToRestore(double now) const;
    std::optional<double> EffectsToRestore(double now) const;

private:
    bool paused_ = false;
    int32_t jumpTarget_ = 0;
    bool skipToEnd_ = false;
    bool singleStepRedraw_ = false;
    bool mutedForJump_ = false;
    double savedMusic_ = 0.0;
    double savedEffects_ = 0.0;
};

} // namespace Zolt
