// Whole-file MP3 decoding through libmpg123, into 16-bit signed samples at
// the stream's own rate and channel count. Used where a sound is decoded once
// and kept (the music library's samples, the sound effects' MP3 reader).
//
// Bad input fails with a reason: data in which no MPEG audio frame is found,
// a stream that changes its rate or channel count, or one that would decode
// to more than kMaxDecodedBytes.
//
// Threads: any; each call uses a decoder of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::libs::mp3 {

struct DecodedSound {
    int channels = 0;
    long rate = 0;
    std::vector<int16_t> samples; // interleaved, native byte order
};

// The most a decode may produce (the largest sound buffer there is).
constexpr size_t kMaxDecodedBytes = 0x0FFFFFFF;

bool DecodeMp3(const void* data, size_t size, DecodedSound* out, std::string* error = nullptr);
// The file read whole from disk (no archive), then decoded.
bool DecodeMp3File(std::string_view path, DecodedSound* out, std::string* error = nullptr);

} // namespace platform::libs::mp3
