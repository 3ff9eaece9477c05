// Our "version.dll": what the program reads of a file's version resource
// (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA). Files here
// carry no such resource. The files the program asks about are the libraries
// that stand in for DirectDraw and DirectSound, for the version lines of a
// crash report; those two answer with the display and sound stack beneath
// them ("SDL 2.26.5 x11", "SDL 2.26.5 pulseaudio"; "headless" on the
// headless back end). Any other file has no version information, as a
// Windows file without a version resource.
//
// Threads: any.
#pragma once

#include "platform/core/Types.h"

#include <string>

namespace platform::libs::version {

// The product version the library reports for a file ("" for none);
// folders in front and letter case do not matter.
std::string ProductVersionOf(const std::string& fileName);

// Registers "version.dll" with the module registry.
void RegisterVersionLibrary();

} // namespace platform::libs::version
