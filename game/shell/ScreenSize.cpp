#include "game/shell/ScreenSize.h"

#include <array>
#include <cstddef>

namespace Gamespace {

namespace {

// The two modes the game was made with; it runs in the first.
constexpr std::array<ControlLibrary::Size, 2> kScreenModes{{{1024, 768}, {1280, 800}}};
constexpr size_t kScreenMode = 0;

} // namespace

void GetScreenSize(ControlLibrary::Size& out)
{
    out = kScreenModes[kScreenMode];
}

} // namespace Gamespace
