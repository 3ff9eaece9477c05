// Reads a demo's command stream back as the player does, for tests that look
// at what was recorded: each command named by kind and id ("short 0",
// "long 31"), payloads passed over. A stream that breaks off inside a
// command ends the list there.
#pragma once

#include "framework/app/DemoFile.h"

#include <string>
#include <vector>

namespace demo_testing {

inline std::vector<std::string> CommandsOf(const std::vector<uint8_t>& commands)
{
    Zolt::DemoStream stream;
    stream.Load(commands);
    std::vector<std::string> names;
    while (stream.ReadHeaderIfNeeded()) {
        const bool isShort = stream.PendingShort();
        const int id = stream.PendingId();
        stream.Consume();
        stream.SkipPayload(isShort, id);
        if (stream.Ended())
            break;
        names.push_back(std::string(isShort ? "short " : "long ") + std::to_string(id));
    }
    return names;
}

} // namespace demo_testing
