// The replacement libraries that the program loads by name. Each service that
// provides one exposes a registration function, called from here.
#include "platform/core/ModuleRegistry.h"
#include "platform/d3d/Direct3D.h"
#include "platform/ddraw/DirectDraw.h"
#include "platform/dsound/DirectSound.h"
#include "platform/libs/bass/BassLibrary.h"
#include "platform/libs/fmod/FmodLibrary.h"
#include "platform/libs/j2k/J2kCodec.h"
#include "platform/libs/version/VersionLibrary.h"
#include "platform/window/User32Module.h"

namespace platform {

void RegisterBuiltInModules()
{
    ddraw::EnsureDDrawRegistered();
    d3d::EnsureDirect3DRegistered();
    dsound::EnsureDSoundRegistered();
    libs::j2k::EnsureJ2kCodecRegistered();
    RegisterUser32Module();
    libs::bass::RegisterBassLibrary();
    libs::fmod::RegisterFmodLibrary();
    libs::version::RegisterVersionLibrary();
}

} // namespace platform
