// The HTTP transfer's door into the demo stream. The application's demo
// recorder and player implements it and registers itself with
// SetHTTPTransferDemoLink; with no link registered a transfer is neither
// recorded nor played, and always uses the network.
//
// A transfer writes and reads its own command (long command 17: transfer id,
// result, reply text) through these primitives; the link keeps the stream,
// the update stamps and the command headers.
//
// Threads: called only on the thread that owns the transfer and runs the
// demo (the main thread), never on the transfer's worker. The registration
// itself is an atomic pointer.
#pragma once

namespace Zolt {

class Buffer;

class HTTPTransferDemoLink {
public:
    virtual ~HTTPTransferDemoLink() = default;

    virtual bool IsRecordingDemo() const = 0;
    // A demo plays and still feeds recorded values (not closed during
    // playback, stream not ended).
    virtual bool IsPlayingDemo() const = 0;

    // Recording: writes the time part of a command header (padding commands
    // and the update delta) and returns the stream, where the caller writes
    // the rest of the header and the payload.
    virtual Buffer& BeginDemoCommand() = 0;

    // Playing: reads the next command's header when it has not been read;
    // returns the stream, its read position at the payload, when that command
    // is due at this update, is not consumed yet and is the long command
    // `longId`. Null otherwise.
    virtual Buffer* PendingDemoCommand(int longId) = 0;
    // Playing: puts the stream's read position back to `bitPosition`, for a
    // payload that turned out to belong to another consumer.
    virtual void RestoreDemoReadPosition(int bitPosition) = 0;
    // Playing: the pending command was read whole; the next header comes next.
    virtual void ConsumeDemoCommand() = 0;
};

void SetHTTPTransferDemoLink(HTTPTransferDemoLink* link);
HTTPTransferDemoLink* GetHTTPTransferDemoLink();

} // namespace Zolt
