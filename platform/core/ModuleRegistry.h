// Libraries loaded by name at run time. The program asks for "bass.dll",
// "fmod.dll", "dsound.dll" and the like and takes their functions by name;
// here those are our own replacement libraries, which register themselves
// under the names the program loads, each with a table of named entry points.
// A name that nobody registered simply fails to load, and tests can hide a
// whole library or one of its entry points, so the program's "library
// missing" and "function missing" paths run for real.
//
// Names are matched without regard to case and to any folder in front
// (".\bass.dll" and "BASS.DLL" find "bass.dll").
//
// Threads: any thread may register, load, look up and free; one mutex guards
// the table. Registration may happen from static initialisers of any library
// (the table is a function-local static).
#pragma once

#include "platform/core/Types.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// The neutral function-pointer type entries are stored as; cast it back to
// the entry's real type (GetEntryAs does).
using ModuleProc = void (*)();

struct ModuleEntry {
    const char* name;
    ModuleProc proc;
};

// Makes any function pointer storable in an entry table.
template <class F>
inline ModuleEntry Entry(const char* name, F* function)
{
    return ModuleEntry{name, reinterpret_cast<ModuleProc>(function)};
}

// Registers (or replaces the entry table of) a library under `name`.
void RegisterModule(std::string_view name, const std::vector<ModuleEntry>& entries);
// Removes a library: later loads fail; handles already given out stay valid
// but find no entries.
void UnregisterModule(std::string_view name);

// Registers a library from a static initialiser:
//   static platform::ModuleRegistration reg("bass.dll", {platform::Entry("BASS_Init", &BassInit), ...});
class ModuleRegistration {
public:
    ModuleRegistration(const char* name, std::initializer_list<ModuleEntry> entries)
    {
        RegisterModule(name, std::vector<ModuleEntry>(entries));
    }
};

// As LoadLibrary: null when no library of that name is registered (or it is
// hidden, or the operation "LoadModule" was made to fail); otherwise counts a
// reference and returns the library.
HMODULE LoadModule(std::string_view fileName);

// Registers the platform's own replacement libraries (defined in
// platform/BuiltInModules.cpp, which names each service's registration
// function). LoadModule calls it once before its first look-up.
void RegisterBuiltInModules();
// As GetProcAddress: null when the library lacks the entry (or it is hidden).
ModuleProc GetEntry(HMODULE module, std::string_view entryName);
template <class F>
F GetEntryAs(HMODULE module, std::string_view entryName)
{
    return reinterpret_cast<F>(GetEntry(module, entryName));
}
// As FreeLibrary: drops one reference; false for a null handle or one with
// no reference left.
bool FreeModule(HMODULE module);
// The registered name of a loaded library ("" for null).
std::string ModuleName(HMODULE module);

namespace testing {
// While hidden, a library fails to load as if it were not installed.
void HideModule(std::string_view name, bool hidden = true);
// While hidden, GetEntry returns null for that entry of that library.
void HideModuleEntry(std::string_view moduleName, std::string_view entryName, bool hidden = true);
void ClearModuleHiding();
// References currently held on the library (0 when never loaded or unknown).
int ModuleReferenceCount(std::string_view name);
} // namespace testing

} // namespace platform
