// The table's music: sixteen bars of a slow swing in F (electric piano
// comping, walking bass, brushes) rendered as one seamless loop. Every note
// is rendered whole and its samples are added modulo the loop's length, so
// the tails of the last bar ring on over the first and the loop point has no
// step.
//
// A pure function; the generator's thread.
#pragma once

#include "tools/assetgen/SoundSynth.h"

namespace assetgen {

Sound ComposeTableMusic();

} // namespace assetgen
