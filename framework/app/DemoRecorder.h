// The demo recorder and player of the application.
//
// Recording, everything from outside that influences a run goes into the
// command stream, stamped with the logic update it arrived at: window input
// and activation, registry reads and writes, whole-file reads, values relayed
// by the game, display modes and network transfer results (through the
// transfer link). Playing, the same stream is read back: input commands are
// handed to a DemoInput at their update, and the demo-aware primitives give
// back the recorded values instead of asking the system.
//
// Once the window has been closed during playback the recorded values are no
// longer read: registry writes report success and reads failure, and files
// are read from disk again, so that the shutdown does not consume the stream.
//
// Threads: main thread only (the loop, the window procedure's queue, the
// settings and the game's calls); no lock. The crash image is also written
// by the crash handler, on whichever thread faults (CrashDemoImage.h).
#pragma once

#include "framework/app/CrashDemoImage.h"
#include "framework/app/DemoFile.h"
#include "framework/app/DemoTransferLink.h"
#include "platform/core/FileSystem.h"
#include "platform/window/WindowTypes.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace Zolt {

class Buffer;
struct QueuedMessage;

// What a played demo feeds the application, command by command. Positions
// are window coordinates.
class DemoInput {
public:
    virtual ~DemoInput() = default;
    // The application is quitting: nothing more is applied.
    virtual bool IsStopped() = 0;
    virtual void MouseMove(int x, int y) = 0;
    // `code` is the click code (1, 2 left, -1, -2 right, 3 middle).
    virtual void MouseButton(int x, int y, int code, bool down) = 0;
    virtual void MouseEnter() = 0;
    virtual void MouseLeave(int x, int y) = 0;
    virtual void Wheel(int steps) = 0;
    virtual void Key(int key, bool down) = 0;
    virtual void Char(int character) = 0;
    virtual void Activate(bool active) = 0;
    virtual void Minimize(bool minimized) = 0;
    virtual void Close() = 0;
    virtual void ScreenMode(bool windowed, int refreshRate) = 0;
};

class DemoRecorder {
public:
    // `currentUpdate` gives the logic update count, the demo's clock.
    explicit DemoRecorder(std::function<int()> currentUpdate);
    DemoRecorder(const DemoRecorder&) = delete;
    DemoRecorder& operator=(const DemoRecorder&) = delete;

    // ---- Mode and file ----
    void StartRecording();
    void StartPlaying();
    // The played demo could not be read: it is not played after all.
    void StopPlaying() { playing_ = false; }
    bool IsRecording() const { return recording_; }
    bool IsPlaying() const { return playing_; }
    // Playing, and the recorded values are still being read.
    bool IsFeeding() const { return playing_ && !closedDuringPlayback_; }
    void NoteClosedDuringPlayback()
    {
        if (playing_)
            closedDuringPlayback_ = true;
    }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name) { fileName_ = name; }
    int CurrentUpdate() const { return currentUpdate_(); }

    // Reads the demo file (through the archive layer) to play it; `seed`
    // gets the recording's seed. On failure `error` says why: a missing
    // file, a damaged one, or one recorded by another version.
    bool ReadFile(const std::string& productVersion, uint32_t& seed, std::string& error);
    // Writes the recording closed at the current update, whole or not at
    // all (an earlier demo of the same name survives a failed write);
    // nothing when not recording. False, with `error` saying which step
    // failed on which file and the system's error number, when the file
    // could not be written.
    bool WriteFile(uint32_t seed, const std::string& productVersion, platform::FileError* error = nullptr);
    // The update count when the played demo was written.
    int FinalUpdate() const { return finalUpdate_; }
    const std::vector<DemoMarker>& Markers() const { return markers_; }
    // Names the current update in the recording.
    void AddMarker(const std::string& name);
    // The played stream has no more commands (or broke off).
    bool HasEnded() const { return stream_.Ended(); }
    // The played file holds less than was recorded: its stream ends before
    // the recording's closing command, or breaks off inside a command
    // (DemoStream::CheckEnd, when it was read).
    bool IsCutShort() const { return cutShort_; }
    // The played file was recorded by an earlier build, which ended its
    // stream at its last command, and its stream ends so: whether it holds
    // all that was recorded shows only in the play, by the recorded run's
    // quit coming by its final update.
    bool EndsAtItsLastCommand() const { return endsAtLastCommand_; }

    // ---- A crash ----
    // Brings the image a fault writes up to the current update (a recording
    // only; after each update). The image is written from a signal handler
    // without the recorder (CrashDemoImage.h).
    void PrepareCrashImage(uint32_t seed, const std::string& productVersion);
    CrashDemoImage& CrashImage() { return crashImage_; }
    // Neither records nor plays any more.
    void StopAll() { recording_ = playing_ = false; }

    // ---- Recording ----
    // An input or activation message as the loop applies it. Alt+Enter that
    // switches the screen mode is left out: the display reset it causes is
    // recorded instead.
    void RecordInput(const QueuedMessage& message, platform::HWND mainWindow, bool altEnterSwitchesMode);
    // A command without payload (mouse entered or left, loading done).
    void RecordCommand(int id);
    void RecordScreenMode(bool windowedWanted, int refreshRate);
    void RecordRegistryRead(bool success, uint32_t type, const void* data, uint32_t length);
    void RecordRegistryWrite(bool success);

    // ---- Playing ----
    // The first command of a played demo: the screen mode it was recorded in.
    bool ReadScreenModeCommand(bool& windowedWanted, int& refreshRate);
    // Applies every command due at the current update.
    void PlayDueCommands(DemoInput& input);
    // The recorded result of the next registry read (false when the demo
    // holds no such read): type, length and bytes, never more than the
    // caller's buffer holds.
    bool ReplayRegistryRead(uint32_t* type, void* buffer, uint32_t* length);
    // The recorded result of the next registry write.
    bool ReplayRegistryWrite();
    // The played demo has reached the point where the loading completed.
    bool ReachedLoadingDone() const { return recordedLoadingDone_; }

    // ---- Values from outside, recorded and played back ----
    // Recording keeps the buffer's bytes; playing replaces them with the
    // recorded ones; otherwise the buffer stays as it is.
    void RelayBuffer(Buffer& buffer);
    void RelayFlag(bool& flag);
    void RelayText(std::string& text);
    // Reads a whole file through the archive layer; recording keeps its
    // bytes, playing gives back the recorded ones (unless notRecorded).
    bool LoadFileIntoBuffer(const std::string& fileName, Buffer& out, bool notRecorded);

    // The stream as HTTP transfers see it (registered while a demo is
    // recorded or played).
    HTTPTransferDemoLink& TransferLink() { return transferLink_; }
    DemoStream& Stream() { return stream_; }

    // The highest numbered demo base + "%d.dmo" (0 when none); with
    // deleteOld, removes the lowest one when count or more exist, so that
    // the demo recorded next makes count.
    static int HighestNumberedDemo(const std::string& baseName, int count, bool deleteOld);
    // The numbers of the numbered demos there are, from 1 up (a file
    // numbered 0 is none the recorder makes).
    static std::set<int> NumberedDemos(const std::string& baseName);

private:
    void WriteHeader(bool isShort, int id);
    void RecordMouse(const QueuedMessage& message);
    // Playing: takes the next command when it is of this kind.
    bool TakeCommand(int id);
    void ApplyMouseCommand(int id, DemoInput& input);
    void ApplyCommand(int id, DemoInput& input);
    // A long command whose payload is read by the one who asked for the
    // value (a registry read or write, a file, a transfer, a relay).
    static bool IsReadersValue(int id);

    std::function<int()> currentUpdate_;
    bool recording_ = false;
    bool playing_ = false;
    bool closedDuringPlayback_ = false;
    std::string fileName_ = "zoltapp.dmo";
    DemoStream stream_;
    int32_t finalUpdate_ = 0;
    bool cutShort_ = false;
    bool endsAtLastCommand_ = false;
    std::vector<DemoMarker> markers_;
    bool recordedLoadingDone_ = false;
    // The last mouse position written or played (window coordinates).
    int lastMouseX_ = 0;
    int lastMouseY_ = 0;
    DemoTransferLink transferLink_{*this};
    CrashDemoImage crashImage_;
};

} // namespace Zolt
