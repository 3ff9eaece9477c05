// The archive file format shared by the reader and the packer.
//
// Every stored byte is the plain byte XOR kPakScrambleKey. Plain layout, all
// integers little-endian: u32 magic, u32 version, then one directory record
// per member {u8 flags, u8 name length, name bytes, u32 size, u64 file time},
// ended by a flags byte with kPakEndOfDirectory set, then the members' data
// back to back in directory order.
//
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

constexpr uint32_t kPakMagic = 0xBAC04AC0u;
constexpr uint32_t kPakVersion = 0;
constexpr uint8_t kPakScrambleKey = 0x5A;
constexpr uint8_t kPakEndOfDirectory = 0x80;
// The most members a directory may list. The game's own archive holds a few
// hundred; a directory of millions of empty entries (14 bytes each) is no
// archive of ours, and reading it would cost seconds and hundreds of
// megabytes before the start-up could go on.
constexpr size_t kPakMaxEntries = 65536;

// One member as the directory describes it, with its data offset resolved
// from the start of the archive file.
struct PakDirectoryRecord {
    std::string name; // as stored: "\" between folders, any case
    uint32_t start = 0;
    uint32_t size = 0;
    uint64_t fileTime = 0; // Windows FILETIME
};

// Reads and checks the directory of a whole (still scrambled) archive image.
// Refuses, with a reason in *error, an archive with a wrong magic number or
// version, one that ends inside its header or directory, one whose members'
// data runs past its end, one whose directory lists more than
// kPakMaxEntries members, and one too large for 32-bit member offsets.
// Never reads outside [data, data + size).
bool ReadPakDirectory(const uint8_t* data, size_t size, std::vector<PakDirectoryRecord>* records,
                      std::string* error);

// A member to be packed.
struct PakMemberSource {
    std::string name; // "\" between folders
    std::vector<uint8_t> bytes;
    uint64_t fileTime = 0;
};

// Builds a scrambled archive image of the members in the given order.
// False (with a reason) for a name longer than 255 bytes, more members than
// a reader takes (kPakMaxEntries) or an archive that would not fit 32-bit
// offsets.
bool BuildPakArchive(const std::vector<PakMemberSource>& members, std::vector<uint8_t>* out, std::string* error);

// XORs every byte with the key while copying: the one transform for both
// directions. Works a block of 32 bytes at a time, which the compiler turns
// into vector moves, since reading a member is this loop and nothing else.
inline void PakDescramble(uint8_t* out, const uint8_t* in, size_t n)
{
    constexpr uint64_t kWordKey = 0x0101010101010101ull * kPakScrambleKey;
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        uint64_t w[4];
        std::memcpy(w, in + i, sizeof w);
        w[0] ^= kWordKey;
        w[1] ^= kWordKey;
        w[2] ^= kWordKey;
        w[3] ^= kWordKey;
        std::memcpy(out + i, w, sizeof w);
    }
    for (; i < n; ++i)
        out[i] = static_cast<uint8_t>(in[i] ^ kPakScrambleKey);
}
