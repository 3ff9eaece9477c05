// The music service as the application and the toolkit use it. This plain
// form plays nothing: every operation is empty. It is what the application
// makes while no music back end is built into the program, and what a back
// end derives from.
//
// Threads: the main thread (volume and fades from the loop).
#pragma once

namespace Zolt {

class MusicInterface {
public:
    MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;
    virtual ~MusicInterface() = default;

    // The volume every track is heard at, 0..1.
    virtual void SetOverallVolume(double volume) { (void)volume; }
    // Stops every track at once (shutdown).
    virtual void HaltAllTracks() {}
    // One step of the running volume fades; called once per logic update.
    virtual void AdvanceFades() {}
};

} // namespace Zolt
