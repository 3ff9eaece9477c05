// Which Windows the program believes it runs on. This build runs on a
// current system with per-user application data, never on the 9x line.
//
// Threads: any thread.
#pragma once

// True on Windows 95, 98 and Me.
bool IsWindows9x();
// True on Windows Vista or later (where the application-data folder is used).
bool IsWindowsVistaOrLater();
