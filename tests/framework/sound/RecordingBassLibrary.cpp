#include "tests/framework/sound/RecordingBassLibrary.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/libs/bass/BassLibrary.h"

#include <cstdio>
#include <sstream>

namespace recording_bass {

namespace {

using namespace platform::libs::bass;
using platform::BOOL;
using platform::DWORD;
using platform::HWND;

std::vector<std::string> gCalls;
std::map<DWORD, DWORD> gActive;
DWORD gNextStream = kFirstStream;
DWORD gNextMusic = kFirstMusic;

template <class... Args>
void Log(const char* name, Args... args)
{
    std::ostringstream line;
    line << name << "(";
    bool first = true;
    ((line << (first ? "" : ",") << args, first = false), ...);
    line << ")";
    gCalls.push_back(line.str());
}

std::string Hex(QWORD v)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

bool Refused(const void* file, BOOL memory)
{
    return !memory && std::string(static_cast<const char*>(file)).find("refuse") != std::string::npos;
}

BOOL Init(int device, DWORD rate, DWORD flags, HWND, const void*) { Log("BASS_Init", device, rate, flags); return 1; }
BOOL InitV1(int device, DWORD rate, DWORD flags, HWND) { Log("BASS_Init", device, rate, flags); return 1; }
BOOL Free() { Log("BASS_Free"); return 1; }
BOOL Stop() { Log("BASS_Stop"); return 1; }
BOOL Start() { Log("BASS_Start"); return 1; }
BOOL SetGlobalVolumes(int m, int s, int st) { Log("BASS_SetGlobalVolumes", m, s, st); return 1; }
BOOL SetVolume(DWORD v) { Log("BASS_SetVolume", v); return 1; }
DWORD SetConfig(DWORD o, DWORD v) { Log("BASS_SetConfig", o, v); return v; }
DWORD GetConfig(DWORD o) { Log("BASS_GetConfig", o); return 0; }
BOOL ChannelStop(DWORD c) { Log("BASS_ChannelStop", c); return 1; }
BOOL ChannelPlay(DWORD c, BOOL r) { Log("BASS_ChannelPlay", c, r); return 1; }
BOOL ChannelPause(DWORD c) { Log("BASS_ChannelPause", c); return 1; }
BOOL SetAttributes(DWORD c, int f, int v, int p) { Log("BASS_ChannelSetAttributes", c, f, v, p); return 1; }
BOOL SetPosition(DWORD c, QWORD p) { Log("BASS_ChannelSetPosition", c, Hex(p)); return 1; }
DWORD IsActive(DWORD c) { Log("BASS_ChannelIsActive", c); return gActive[c]; }
BOOL SetFlags(DWORD c, DWORD f) { Log("BASS_ChannelSetFlags", c, Hex(f)); return 1; }
DWORD MusicLoad(BOOL mem, const void* file, QWORD, DWORD length, DWORD flags, DWORD rate)
{
    Log("BASS_MusicLoad", mem, length, Hex(flags), rate);
    return Refused(file, mem) ? 0 : gNextMusic++;
}
DWORD MusicLoadV1(BOOL mem, const void* file, DWORD, DWORD length, DWORD flags)
{
    Log("BASS_MusicLoad", mem, length, Hex(flags));
    return Refused(file, mem) ? 0 : gNextMusic++;
}
BOOL MusicFree(DWORD m) { Log("BASS_MusicFree", m); return 1; }
DWORD MusicSetAttribute(DWORD m, DWORD a, DWORD v) { Log("BASS_MusicSetAttribute", m, a, v); return v; }
DWORD StreamCreateFile(BOOL mem, const void* file, QWORD, QWORD, DWORD flags)
{
    Log("BASS_StreamCreateFile", mem, static_cast<const char*>(file), flags);
    return Refused(file, mem) ? 0 : gNextStream++;
}
BOOL StreamFree(DWORD s) { Log("BASS_StreamFree", s); return 1; }
// Entries the back end takes but never calls.
void NeverCalled() { Log("unexpected call"); }

} // namespace

void Install(const Options& options)
{
    // Our own libraries register on the first load; replace ours after that.
    platform::FreeModule(platform::LoadModule("bass.dll"));
    using platform::Entry;
    std::vector<platform::ModuleEntry> entries = {
        options.version2 ? Entry("BASS_Init", &Init) : Entry("BASS_Init", &InitV1),
        Entry("BASS_Free", &Free),
        Entry("BASS_Stop", &Stop),
        Entry("BASS_Start", &Start),
        Entry("BASS_ChannelStop", &ChannelStop),
        Entry("BASS_ChannelPlay", &ChannelPlay),
        Entry("BASS_ChannelPause", &ChannelPause),
        Entry("BASS_ChannelSetAttributes", &SetAttributes),
        Entry("BASS_ChannelSetPosition", &SetPosition),
        Entry("BASS_ChannelIsActive", &IsActive),
        Entry("BASS_ChannelSetFlags", &SetFlags),
        options.version2 ? Entry("BASS_MusicLoad", &MusicLoad) : Entry("BASS_MusicLoad", &MusicLoadV1),
        Entry("BASS_MusicFree", &MusicFree),
        Entry("BASS_MusicSetAttribute", &MusicSetAttribute),
        Entry("BASS_StreamCreateFile", &StreamCreateFile),
        Entry("BASS_StreamFree", &StreamFree),
    };
    if (options.version2) {
        entries.push_back(Entry("BASS_SetConfig", &SetConfig));
        entries.push_back(Entry("BASS_GetConfig", &GetConfig));
    }
    if (options.globalVolumes)
        entries.push_back(Entry("BASS_SetGlobalVolumes", &SetGlobalVolumes));
    if (options.outputVolume)
        entries.push_back(Entry("BASS_SetVolume", &SetVolume));
    for (const char* name :
         {"BASS_GetVolume", "BASS_GetInfo", "BASS_GetVersion", "BASS_ChannelGetAttributes", "BASS_ChannelGetPosition",
          "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding", "BASS_ChannelGetLevel", "BASS_ChannelSetSync",
          "BASS_ChannelRemoveSync", "BASS_ChannelGetData", "BASS_FXSetParameters", "BASS_FXGetParameters",
          "BASS_ChannelSetFX", "BASS_ChannelRemoveFX", "BASS_MusicGetAttribute", "BASS_MusicGetOrders",
          "BASS_MusicGetOrderPosition", "BASS_SampleLoad", "BASS_SampleFree", "BASS_SampleSetInfo",
          "BASS_SampleGetInfo", "BASS_SampleGetChannel", "BASS_SampleStop", "BASS_ErrorGetCode"})
        entries.push_back(Entry(name, &NeverCalled));
    platform::RegisterModule("bass.dll", entries);
    gCalls.clear();
    gActive.clear();
    gNextStream = kFirstStream;
    gNextMusic = kFirstMusic;
}

void Restore() { platform::libs::bass::RegisterBassLibrary(); }

std::vector<std::string>& Calls() { return gCalls; }
void ClearCalls() { gCalls.clear(); }

std::vector<std::string> CallsOf(const std::string& name)
{
    std::vector<std::string> out;
    for (const std::string& call : gCalls)
        if (call.compare(0, name.size() + 1, name + "(") == 0)
            out.push_back(call);
    return out;
}

std::map<DWORD, DWORD>& ActiveStates() { return gActive; }

} // namespace recording_bass
