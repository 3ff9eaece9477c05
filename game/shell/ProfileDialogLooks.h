// What the player-profile dialogs (the chooser, the new-player, error and
// delete-player dialogs) share in their look.
//
// Threads: any (constants).
#pragma once

#include "controls/IButtonVO.h"
#include "controls/RGB.h"

#include <cstdint>

namespace Gamespace::profile_looks {

inline constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
inline constexpr char kNameFont[] = "fonts/a_BosaNova20.txt";
inline constexpr char kPromptFont[] = "fonts/Pristina18.txt";
inline constexpr char kCommonButton[] = "images/btn_def.png";
inline constexpr ControlLibrary::RGB kPromptColour{255, 255, 128};
// A player's name where it stands for the current player.
inline constexpr ControlLibrary::RGB kCurrentNameColour{248, 208, 87};
inline constexpr uint16_t kTextLayer = 100;

// The dialog plays its own click; the button makes no sound of its own.
inline void Silence(ControlLibrary::IButtonVO& button)
{
    button.SetSounds(ControlLibrary::ButtonSounds{});
}

} // namespace Gamespace::profile_looks
