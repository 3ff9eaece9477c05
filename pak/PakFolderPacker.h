// Collects the files below a folder as archive members, for the packer tool
// and the build that packs the game's assets. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pak/PakFormat.h"

// Every regular file below `folder`, named by its path relative to the folder
// with "\" between folders, sorted by name (byte order) so that the same
// folder always packs to the same bytes. Each member gets `fileTime`.
// False, with a reason, when a folder or file cannot be read.
bool CollectPakMembers(const std::string& folder, uint64_t fileTime, std::vector<PakMemberSource>* members,
                       std::string* error);
