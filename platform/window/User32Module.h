// The pieces of the system's user library that the program takes by name at
// run time rather than calling directly, registered in the module registry
// as "user32.dll" (entry "GetLastInputInfo"), and the class icon loader.
//
// Threads: any thread.
#pragma once

#include "platform/window/WindowTypes.h"

namespace platform {

struct LASTINPUTINFO {
    UINT cbSize;
    DWORD dwTime; // GetTickCount of the last keyboard or mouse input
};

// FALSE when cbSize is not the record's size.
BOOL GetLastInputInfo(LASTINPUTINFO* info);

// The program's icon by resource name. The system draws its own window
// icon, so this is a token that window classes carry.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);

// Registers "user32.dll" with the module registry (called from
// platform/BuiltInModules.cpp).
void RegisterUser32Module();

} // namespace platform
