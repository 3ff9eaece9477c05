// How the platform's own libraries (the audio libraries' sounds and music)
// read the data files the program names. The program's archive layer lies
// above the platform, so the platform never calls it: the layer registers a
// reader here instead, which looks a name up in the loaded archives first
// and on disk after. Without a registered reader files come from disk.
//
// Threads: any thread may read; the reader is swapped atomically (the
// archive layer registers it during static initialisation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Reads the whole named file into `out`. False, with `out` empty, when the
// file cannot be opened, is empty, is longer than maxBytes or cannot be read
// to its end.
using DataFileReader = bool (*)(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out);

// Installs the reader (null: disk again) and returns the one it replaces.
DataFileReader SetDataFileReader(DataFileReader reader);

// Through the registered reader, or from disk when there is none.
bool ReadDataFile(const std::string& name, size_t maxBytes, std::vector<uint8_t>& out);

} // namespace platform
