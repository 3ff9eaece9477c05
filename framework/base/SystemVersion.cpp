#include "framework/base/SystemVersion.h"

// The platform layer presents an NT system of version 6 or later: Linux has
// per-user data folders and long file names, which is what the checks gate.
bool IsWindows9x()
{
    return false;
}

bool IsWindowsVistaOrLater()
{
    return true;
}
