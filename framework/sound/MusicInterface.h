// The application's music service. Tracks are loaded under ids the caller
// chooses and then started, held, faded and stopped by id; the control
// toolkit's sounds play through it too. This plain form plays nothing: every
// operation does nothing and the two questions answer false. It is what the
// application makes when music is off, and the base of the back ends
// (BassMusicInterface, FModMusicInterface).
//
// Volumes are 0.0..1.0. A start offset is, for a stream, -1 (carry on from
// where it is), 0 (from the beginning) or a byte position to go to; for a
// module, an order (pattern-list) position, of which the low 16 bits count.
//
// Threads: any. The main loop advances fades while the time thread starts
// and stops the toolkit's sounds, so the back ends guard their tracks with
// one lock (MusicTrackTable); this plain form has nothing to guard.
#pragma once

#include <string>

namespace Zolt {

class MusicInterface {
public:
    MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;
    virtual ~MusicInterface();

    virtual bool LoadMusicFile(int id, const std::string& fileName);
    virtual void StartTrack(int id, int offset, bool noLoop);
    virtual void StartTrackAtVolume(int id, double volume, int offset, bool noLoop);
    // Stops the track and puts its volume at 0.
    virtual void HaltTrack(int id);
    // Pauses and resumes, keeping the volume.
    virtual void HoldTrack(int id);
    virtual void ContinueTrack(int id);
    virtual void HaltAllTracks();
    // Stops and unloads.
    virtual void DropTrack(int id);
    virtual void DropAllTracks();
    virtual void HoldAllTracks();
    virtual void ContinueAllTracks();
    // Fades run in AdvanceFades: each call moves the volume by `speed`
    // towards the track's cap (in) or 0 (out).
    virtual void FadeTrackIn(int id, int offset, double speed, bool noLoop);
    virtual void FadeTrackOut(int id, bool stopWhenFaded, double speed);
    virtual void FadeAllTracksOut(bool stopWhenFaded, double speed);
    virtual void SetTrackVolume(int id, double volume);
    // The most a track is played at (1.0 at first); lowers its volume to it.
    virtual void SetTrackVolumeCap(int id, double cap);
    virtual bool IsTrackPlaying(int id);
    // The volume every track is heard at.
    virtual void SetOverallVolume(double volume);
    // Amplification of a module, 1.0 its own level.
    virtual void SetTrackBoost(int id, double boost);
    // One step of every running fade; called once per logic update.
    virtual void AdvanceFades();
    // Whether a fade may still be running: the loop then runs its updates
    // on time instead of holding them, so that the volume moves smoothly.
    virtual bool IsFading() { return false; }
};

} // namespace Zolt
