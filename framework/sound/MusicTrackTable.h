// The tracks of a music back end: one record per loaded id, in a map ordered
// by id. Every record holds what both back ends keep alike (TrackFade: the
// volume, the step a fade moves it by on each AdvanceFades, the cap a
// fade-in stops at, and whether reaching silence stops the track) beside
// the back end's own library handles. The table does the bookkeeping both
// back ends share (loading under a free id, halting, setting volumes,
// fading) and asks its back end, through TrackChannels, to send a track's
// volume to the library and to stop a track's channel.
//
// Threads: any. The main loop advances fades while the time thread starts
// and stops the toolkit's sounds, so one lock guards the map and every
// record in it. It is held across the library calls made for a record
// (through With and ForEach and the shared operations), so that a call
// always acts on the record as it is. It is the program's recursive critical
// section, because those calls run inside the table's own. Lock order: this
// lock before the library's own.
#pragma once

#include "framework/base/CriticalSection.h"

#include <atomic>
#include <concepts>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

namespace Zolt {

struct TrackFade {
    double volume = 0.0;
    double volumeStep = 0.0; // 0: no fade
    double volumeCap = 1.0;
    uint8_t stopFlag = 0;

    // Played from `level` on, with no fade running.
    void StartAt(double level)
    {
        volume = level;
        volumeStep = 0.0;
    }
    void FadeOut(bool stopWhenFaded, double speed)
    {
        volumeStep = -speed;
        stopFlag = stopWhenFaded ? 1 : 0;
    }
    // One step of a running fade: the volume moves by the step and comes to
    // rest at the cap or at 0. True when it came to rest at 0 with the stop
    // flag set: the track is then to be stopped.
    bool Advance()
    {
        volume += volumeStep;
        if (volume > volumeCap) {
            volume = volumeCap;
            volumeStep = 0.0;
        } else if (volume < 0.0) {
            volume = 0.0;
            volumeStep = 0.0;
            return stopFlag != 0;
        }
        return false;
    }
};

// What the table asks of its back end, always with the table's lock held.
template <class Track>
class TrackChannels {
public:
    // Sends the record's volume to the library.
    virtual void SendVolume(int id, const Track& track) = 0;
    // Stops the track's channel (the record is left as it is).
    virtual void StopChannel(int id, const Track& track) = 0;

protected:
    ~TrackChannels() = default;
};

template <class Track>
    requires std::derived_from<Track, TrackFade>
class MusicTrackTable {
public:
    explicit MusicTrackTable(TrackChannels<Track>& channels) : channels_(channels) {}
    MusicTrackTable(const MusicTrackTable&) = delete;
    MusicTrackTable& operator=(const MusicTrackTable&) = delete;

    // Files `track` under `id`. False when the id is taken: its record stays
    // as it was, and the caller lets the handles of `track` go.
    bool Insert(int id, const Track& track)
    {
        Guard guard(lock_);
        mayFade_ = true;
        return tracks_.emplace(id, track).second;
    }

    // A copy of the record of `id`, or nothing.
    std::optional<Track> Find(int id) const
    {
        Guard guard(lock_);
        auto it = tracks_.find(id);
        return it == tracks_.end() ? std::nullopt : std::optional<Track>(it->second);
    }

    // action(track) on the record of `id`, under the lock; false (and
    // nothing done) for an id without a record.
    template <class Action>
    bool With(int id, Action&& action)
    {
        Guard guard(lock_);
        auto it = tracks_.find(id);
        if (it == tracks_.end())
            return false;
        mayFade_ = true;
        action(it->second);
        return true;
    }

    // action(id, track) on every record in id order, under the lock.
    template <class Action>
    void ForEach(Action&& action)
    {
        Guard guard(lock_);
        mayFade_ = true;
        for (auto& [id, track] : tracks_)
            action(id, track);
    }

    // action() under the lock, for fields of the back end that its channel
    // calls read.
    template <class Action>
    void Exclusive(Action&& action)
    {
        Guard guard(lock_);
        action();
    }

    // Halts the track, hands its record to release(track) and removes it.
    template <class Release>
    void Drop(int id, Release&& release)
    {
        Guard guard(lock_);
        auto it = tracks_.find(id);
        if (it == tracks_.end())
            return;
        Halt(id, it->second);
        release(it->second);
        tracks_.erase(it);
    }

    // Halts every track, then hands each record to release(track) and
    // empties the table.
    template <class Release>
    void DropAll(Release&& release)
    {
        Guard guard(lock_);
        HaltAll();
        for (auto& [id, track] : tracks_)
            release(track);
        tracks_.clear();
    }

    // Silences the track: volume 0 (its fade step and stop flag stay as they
    // are) and its channel stopped.
    void Halt(int id)
    {
        With(id, [&](Track& track) { Halt(id, track); });
    }
    void HaltAll()
    {
        ForEach([&](int id, Track& track) { Halt(id, track); });
    }

    void SetVolume(int id, double volume)
    {
        With(id, [&](Track& track) {
            track.volume = volume;
            channels_.SendVolume(id, track);
        });
    }

    // Every track fades out, whatever its volume.
    void FadeAllOut(bool stopWhenFaded, double speed)
    {
        ForEach([&](int, Track& track) { track.FadeOut(stopWhenFaded, speed); });
    }

    // One step of every running fade; a fade-out that ends in silence with
    // the stop flag stops its track.
    // Runs every update: while no fade can be running (none was left after
    // the last call, and no record was touched since) it looks at nothing.
    void AdvanceFades()
    {
        // Read without the lock first: a still screen's updates take no
        // lock at all. A record touched meanwhile on another thread sets the
        // flag under the lock, and the next update sees it.
        if (!mayFade_.load(std::memory_order_acquire))
            return;
        Guard guard(lock_);
        if (!mayFade_)
            return;
        bool fading = false;
        for (auto& [id, track] : tracks_) {
            if (track.volumeStep == 0.0)
                continue;
            if (track.Advance())
                channels_.StopChannel(id, track);
            channels_.SendVolume(id, track);
            fading = fading || track.volumeStep != 0.0;
        }
        mayFade_ = fading;
    }

    bool MayBeFading() const
    {
        Guard guard(lock_);
        return mayFade_;
    }

private:
    using Guard = std::lock_guard<CriticalSection>;

    void Halt(int id, Track& track)
    {
        track.volume = 0.0;
        channels_.StopChannel(id, track);
    }

    TrackChannels<Track>& channels_;
    mutable CriticalSection lock_;
    std::map<int, Track> tracks_; // guarded by lock_
    // A fade may be running: a record was added or touched since the last
    // AdvanceFades, or that call left one fading. Written under lock_;
    // AdvanceFades also reads it without, to skip the lock while it is clear.
    std::atomic<bool> mayFade_{false};
};

} // namespace Zolt
