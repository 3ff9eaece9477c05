// The demo being recorded, kept ready for a fault: the bytes its file would
// hold if the program ended at the last prepared update, so that the crash
// service's signal handler writes them with nothing but open, write, rename
// and close (platform::WriteSpansToFile), and allocates, locks and formats
// nothing.
//
// The command stream is not copied: a recording's stream keeps its bytes in
// place (DemoStream::KeepInPlace), and its whole bytes never change again
// while the recording goes on, so the image names where they lie and how
// many there are. A stream not kept in place is never prepared: its bytes
// could move under a fault. The file's head (header, marker block, final
// update) and the stream's closing tail (its last partial byte, the time
// padding and the closing command every recording ends with,
// DemoStream::ClosingTail) are small; they are built in the slot that is not
// published and then published by one atomic index.
//
// Threads: SetFile and Prepare on the main thread; WriteNow from a signal
// handler on any thread, or in normal context. WriteNow freezes the image
// first: a Prepare still running on another thread then neither publishes
// nor starts again, so the slot being written out never changes.
#pragma once

#include "framework/app/DemoFile.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Zolt {

class CrashDemoImage {
public:
    CrashDemoImage() = default;
    CrashDemoImage(const CrashDemoImage&) = delete;
    CrashDemoImage& operator=(const CrashDemoImage&) = delete;

    // The file WriteNow writes (taken at the next Prepare).
    void SetFile(const std::string& path) { fileName_ = path; }
    // The image of the recording as it stands at `updateCount`: the file's
    // header from the seed, the program's version text and the markers, the
    // stream's bytes, and the padding command it would end with.
    void Prepare(uint32_t seed, const std::string& versionText, const std::vector<DemoMarker>& markers,
                 const DemoStream& stream, int updateCount);
    // Something has been prepared and can be written.
    bool IsReady() const { return published_.load() >= 0; }
    // Writes the last prepared image to the file, whole or not at all.
    // Signal-safe. False when nothing was prepared or the write failed.
    bool WriteNow();

private:
    struct Slot {
        std::vector<uint8_t> head;
        std::vector<uint8_t> tail;
        const uint8_t* stream = nullptr;
        size_t streamBytes = 0;
        std::string path;
    };

    std::string fileName_;
    std::array<Slot, 2> slots_;
    std::atomic<int> published_{-1};
    std::atomic<bool> frozen_{false};
};

} // namespace Zolt
