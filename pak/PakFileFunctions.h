// Archive-aware file functions: every module reads its files through these.
// With a registered file layer they go to it (archives first, then disk);
// without one they are plain stdio on disk files.
//
// Threads: any thread; a handle belongs to the thread that uses it. The
// registration is process-local and set during static initialisation.
#pragma once

#include "pak/PakRegistration.h"

#include <cstddef>

struct PakFileHandle;
class PakInterface;

// The program's own layer, created at static initialisation and never
// destroyed; start-up adds "main.pak" to it.
PakInterface* GetProcessPakInterface();

PakFileHandle* PakFileOpen(const char* name, const char* mode);
int PakFileClose(PakFileHandle* handle);
int PakFileSeek(PakFileHandle* handle, long offset, int origin);
long PakFileTell(PakFileHandle* handle);
size_t PakFileRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle);
int PakFileGetChar(PakFileHandle* handle);
int PakFileAtEnd(PakFileHandle* handle);
// Writes to the handle's disk file; an archive member cannot be written and
// takes nothing. Returns the number of whole elements written.
size_t PakFileWrite(PakFileHandle* handle, const void* buffer, size_t elementSize, size_t count);
