// The demo file and its command stream.
//
// A demo file is a small little-endian header (magic, version, seed, the
// recording program's version text, the marker block, the final update)
// followed by the bit-packed command stream. DemoFile turns bytes into that
// header and back; DemoStream writes and reads command headers and payloads
// over a Buffer, checking every read against the bits that are left, so a
// cut or damaged stream ends playback instead of reading past its data.
//
// Every recording ends its stream with a closing command: a long padding
// command at the final update, the update the file's head gives. A stream
// read to its end without it, or cut inside a command, holds less than was
// recorded.
//
// Threads: one thread at a time (the main thread in the application).
#pragma once

#include "framework/base/Buffer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

struct DemoMarker {
    std::string name;
    int32_t update = 0;
};

struct DemoFileData {
    static constexpr uint32_t kMagic = 0x42BEEF78;
    // 3: the stream ends with its closing command. The files of 2 are read
    // the same way (the closing command is a padding command to them), but
    // a recording of an earlier build may end at its last command.
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kFirstClosedVersion = 3;
    static constexpr int kMaxVersionText = 255;

    uint32_t version = kVersion;
    uint32_t seed = 0;
    std::string versionText;
    std::vector<DemoMarker> markers;
    int32_t finalUpdate = 0;
    std::vector<uint8_t> commands;

    // The whole file, in its version (the current one unless set).
    std::vector<uint8_t> Serialize() const;
    // The file up to where the command stream begins (commands are left
    // out), for a writer that has the stream elsewhere.
    std::vector<uint8_t> SerializeHead() const;
    // Parses a whole file. On failure `error` holds the message and the
    // object is left unchanged.
    bool Parse(const uint8_t* bytes, size_t size, std::string& error);
    // Parses all but the command stream, which is left where it is: it
    // begins at `commandsAt`. A large demo is then held once.
    bool ParseHead(const uint8_t* bytes, size_t size, std::string& error, size_t& commandsAt);
};

// Command ids of the stream.
enum DemoCommand : int {
    kDemoShortMouseMove = 0,
    kDemoShortMouseButton = 1,
    kDemoMouseMoveTo = 0,
    kDemoActivate = 1,
    kDemoMinimize = 2,
    kDemoKeyDown = 3,
    kDemoKeyUp = 4,
    kDemoChar = 5,
    kDemoClose = 6,
    kDemoMouseEnter = 7,
    kDemoMouseLeave = 8,
    kDemoLoadingDone = 9,
    kDemoRegistryRead = 11,
    kDemoRegistryWrite = 12,
    kDemoFileRead = 15,
    kDemoTransfer = 17,
    kDemoRelay = 18,
    kDemoWheel = 21,
    kDemoScreenMode = 23,
    kDemoPadding = 31,
};

class DemoStream {
public:
    static constexpr int kMaxDelta = 15;

    Buffer& Data() { return buffer_; }
    const Buffer& Data() const { return buffer_; }

    // ---- Writing ----
    // Pads gaps longer than 15 updates, then writes the delta and the kind.
    void WriteHeader(int updateCount, bool isShort, int id);
    // The time part alone (padding and the delta); the caller writes the
    // short flag, the id and the payload.
    void WriteTime(int updateCount);
    int LastCommandUpdate() const { return commandUpdate_; }
    // How a recording that ends at `updateCount` ends, as whole bytes: the
    // stream's last partial byte, then the time padding and the closing
    // command. The stream's whole bytes followed by these are the command
    // stream of its file.
    std::vector<uint8_t> ClosingTail(int updateCount) const;
    // The stream's bytes that no later command changes (its last partial
    // byte is left out): ClosingTail's bytes follow them in a file.
    size_t WholeBytes() const { return size_t(std::max(0, buffer_.BitLength())) / 8; }

    // Keeps the recorded bytes where they are for the whole recording (see
    // Buffer::ReserveAll), so that a fault's handler may write them out as
    // they lie. False when that room cannot be had.
    bool KeepInPlace();
    bool IsKeptInPlace() const { return keptInPlace_; }

    // ---- Reading ----
    // Starts reading `bytes` as a played stream (moved in, they are not
    // copied).
    void Load(std::vector<uint8_t> bytes);
    // Reads the next header when none is pending. False when the stream has
    // ended or broke off (then Ended() is true).
    bool ReadHeaderIfNeeded();
    // The pending header is due at `updateCount`.
    bool IsDue(int updateCount) const { return !needHeader_ && commandUpdate_ == updateCount; }
    bool PendingIs(bool isShort, int id) const { return !needHeader_ && pendingShort_ == isShort && pendingId_ == id; }
    bool PendingShort() const { return pendingShort_; }
    int PendingId() const { return pendingId_; }
    int PendingUpdate() const { return commandUpdate_; }
    // The pending command is taken: the next read starts at a header.
    void Consume() { needHeader_ = true; }
    bool NeedHeader() const { return needHeader_; }
    bool Ended() const { return ended_; }
    void End() { ended_ = true; }
    // The stream broke off where a whole recording never does: inside a
    // command's payload, or at a command no recording writes. It has ended
    // then too.
    bool Broken() const { return broken_; }
    // How a stream read through to its end ends.
    enum class Ending {
        // Right after the closing command at the final update (or, for a
        // recording of nothing at all, with no command, at update 0).
        Closed,
        // At the end of a command, without the closing command.
        Open,
        // Inside a command, or at a command no recording writes.
        Broken,
    };
    // Reads the loaded stream through to its end and starts it over: how it
    // ends, against the recording's `finalUpdate`.
    Ending CheckEnd(int finalUpdate);
    // Puts the read position back to an earlier bit of the stream.
    void SeekRead(int bitPosition);

    // Payload readers: each checks that the bits are there; a short stream
    // ends the playback and yields 0 / empty.
    int32_t Bits(int count, bool signExtend);
    uint32_t U32();
    bool Bytes(uint32_t length, std::vector<uint8_t>& out);
    // Skips the payload of the pending command kind (after Consume).
    void SkipPayload(bool isShort, int id);
    int64_t BitsLeft() const { return int64_t(buffer_.BitLength()) - buffer_.ReadPosition(); }

private:
    Buffer buffer_;
    int32_t commandUpdate_ = 0;
    bool needHeader_ = true;
    bool pendingShort_ = false;
    int pendingId_ = 0;
    bool ended_ = false;
    bool broken_ = false;
    bool keptInPlace_ = false;
};

} // namespace Zolt
