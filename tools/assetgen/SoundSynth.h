// The game's sounds, synthesised: a button click, the table-selection
// chime, card snaps, deck riffles, chip clacks and the quiet table music,
// which is written as one seamless loop (every note's tail that runs past the
// end is folded back onto the beginning). Each recipe takes a variant number
// that changes pitch, timing and texture, so the files of one family differ.
// Also the writers: 16-bit PCM WAV and Ogg Vorbis with a fixed stream serial,
// so that the same samples always give the same bytes.
//
// Pure functions; the generator's thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Sound {
    int rate = 22050;
    int channels = 1;
    std::vector<float> samples; // interleaved, -1 .. 1
};

Sound Synthesize(SoundRecipe recipe, int variant);

std::vector<uint8_t> EncodeWav(const Sound& sound);
// False (with a reason) when the encoder refuses the settings.
bool EncodeOgg(const Sound& sound, float quality, uint32_t serial, std::vector<uint8_t>* out, std::string* error);

} // namespace assetgen
