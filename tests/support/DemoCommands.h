// Reads a demo's command stream back as the player does, for tests that look
// at what was recorded or cut it where they choose: each command named by
// kind and id ("short 0", "long 31"), with the update it is due at and the
// bit where it ends; payloads passed over. A stream that breaks off inside a
// command ends the list there.
#pragma once

#include "framework/app/DemoFile.h"

#include <string>
#include <vector>

namespace demo_testing {

struct StreamCommand {
    std::string name;
    int update = 0;
    // The bit of the stream just after the command.
    int endBit = 0;
};

inline std::vector<StreamCommand> CommandsWithPlaces(const std::vector<uint8_t>& commands)
{
    Zolt::DemoStream stream;
    stream.Load(commands);
    std::vector<StreamCommand> found;
    while (stream.ReadHeaderIfNeeded()) {
        const bool isShort = stream.PendingShort();
        const int id = stream.PendingId();
        const int update = stream.PendingUpdate();
        stream.Consume();
        stream.SkipPayload(isShort, id);
        if (stream.Ended())
            break;
        found.push_back({std::string(isShort ? "short " : "long ") + std::to_string(id), update,
                         int(int64_t(stream.Data().BitLength()) - stream.BitsLeft())});
    }
    return found;
}

inline std::vector<std::string> CommandsOf(const std::vector<uint8_t>& commands)
{
    std::vector<std::string> names;
    for (const StreamCommand& command : CommandsWithPlaces(commands))
        names.push_back(command.name);
    return names;
}

// The stream's first `bits` bits as whole bytes, the last one filled up with
// zeros (too few to make a command): the stream cut there.
inline std::vector<uint8_t> FirstBits(const std::vector<uint8_t>& commands, int bits)
{
    std::vector<uint8_t> cut(commands.begin(), commands.begin() + (bits + 7) / 8);
    if (bits % 8 != 0)
        cut.back() &= uint8_t((1u << (bits % 8)) - 1);
    return cut;
}

// A demo file's bytes with `commands` behind the head of `file`.
inline std::string FileWith(Zolt::DemoFileData file, const std::vector<uint8_t>& commands)
{
    file.commands = commands;
    const std::vector<uint8_t> bytes = file.Serialize();
    return std::string(bytes.begin(), bytes.end());
}

// A demo file's contents taken apart (nothing, on failure).
inline Zolt::DemoFileData ParseDemo(const std::string& contents)
{
    Zolt::DemoFileData file;
    std::string error;
    file.Parse(reinterpret_cast<const uint8_t*>(contents.data()), contents.size(), error);
    return file;
}

} // namespace demo_testing
