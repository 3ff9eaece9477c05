// Feeds arbitrary bytes to the demo reader: the file header must be refused
// or read, and a read command stream must be walked to its end, every
// command and payload decoded, without reading past the data.
#include "framework/app/DemoFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Zolt::DemoFileData file;
    std::string error;
    if (!file.Parse(data, size, error)) {
        // A refused file always says why.
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    Zolt::DemoStream in;
    in.Load(file.commands);
    int64_t lastUpdate = 0;
    while (in.ReadHeaderIfNeeded()) {
        if (in.PendingUpdate() < lastUpdate)
            __builtin_trap(); // commands never go back in time
        lastUpdate = in.PendingUpdate();
        const bool isShort = in.PendingShort();
        const int id = in.PendingId();
        in.Consume();
        in.SkipPayload(isShort, id);
        if (in.BitsLeft() < 0)
            __builtin_trap();
    }
    // Re-written, the header reads back the same.
    const std::vector<uint8_t> again = file.Serialize();
    Zolt::DemoFileData reread;
    if (!reread.Parse(again.data(), again.size(), error) || reread.markers.size() != file.markers.size() ||
        reread.finalUpdate != file.finalUpdate || reread.commands != file.commands)
        __builtin_trap();
    return 0;
}
