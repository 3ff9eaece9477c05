// Which file layer the process reads through: one cell, filled by the first
// layer constructed (PakInterface registers itself) and read by the file
// functions (PakFileFunctions.h) on every call. It knows the layer only by
// its abstract operations, so that the layer and the functions over it each
// depend on this cell and not on one another.
//
// Threads: any thread; the cell is atomic. Layers are registered during
// static initialisation, before other threads start.
#pragma once

class PakInterfaceBase;

// The layer registered for this process, or null.
PakInterfaceBase* GetSharedPakInterface();
// Registers the layer when none is registered yet (the layer's constructor
// calls it); a layer that goes away calls UnregisterPakInterface with itself.
void RegisterPakInterface(PakInterfaceBase* layer);
void UnregisterPakInterface(PakInterfaceBase* layer);

namespace pak_testing {
// Replaces the registered layer (null: none) and returns the previous one,
// so that tests can run the functions with and without a layer.
PakInterfaceBase* ReplaceSharedPakInterface(PakInterfaceBase* layer);
} // namespace pak_testing
