// A stand-in bass.dll that writes down every call the back end makes, so
// tests can hold the back end to the exact calls and values it must send.
// It replaces our library in the module registry until Restore puts ours
// back, which a test that installed it does as it ends: the next test in
// the same process finds our library, as a process of its own would.
#pragma once

#include "platform/core/Types.h"

#include <map>
#include <string>
#include <vector>

namespace recording_bass {

struct Options {
    bool version2 = true;          // has BASS_SetConfig (and the newer Init and MusicLoad)
    bool globalVolumes = true;     // has BASS_SetGlobalVolumes
    bool outputVolume = true;      // has BASS_SetVolume
};

// Starts afresh: no calls, no channel states, handles from the first again.
void Install(const Options& options);
void Restore();

// Every call so far, as "Name(arg,arg,...)"; integers in decimal, 64-bit
// positions in hexadecimal.
std::vector<std::string>& Calls();
void ClearCalls();
// Calls of one function only.
std::vector<std::string> CallsOf(const std::string& name);

// What BASS_ChannelIsActive answers for a channel (0 unless set).
std::map<platform::DWORD, platform::DWORD>& ActiveStates();
// Loads of files whose name contains "refuse" return 0; streams get handles
// from 100, modules from 200.
constexpr platform::DWORD kFirstStream = 100;
constexpr platform::DWORD kFirstMusic = 200;

} // namespace recording_bass
