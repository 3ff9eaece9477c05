// The demo seams of the application: the places where input, registry
// results and display modes are written into a recorded demo and read back
// from a played one. The demo player is not built into the program yet, so
// nothing is recorded and nothing is played: a requested playback fails at
// start-up with its message, and a requested recording writes no file.
// Main thread.
#include "framework/app/ZoltAppBase.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/Process.h"

namespace Zolt {

bool ZoltAppBase::ReadDemoFile(std::string& error)
{
    error = "Demo playback is not available in this version: " + demoFileName_;
    return false;
}

void ZoltAppBase::WriteDemoFile() {}

void ZoltAppBase::PlayDemoCommand() {}

bool ZoltAppBase::ReadScreenModeCommand() { return false; }

void ZoltAppBase::RecordScreenMode() {}

void ZoltAppBase::RecordInput(const QueuedMessage& msg) { (void)msg; }

void ZoltAppBase::RecordSimpleCommand(int id) { (void)id; }

void ZoltAppBase::RecordRegistryRead(bool success, uint32_t type, const void* data, uint32_t length)
{
    (void)success, (void)type, (void)data, (void)length;
}

bool ZoltAppBase::PlayRegistryRead(uint32_t* type, void* buffer, uint32_t* length)
{
    (void)type, (void)buffer, (void)length;
    return false;
}

void ZoltAppBase::RecordRegistryWrite(bool success) { (void)success; }

bool ZoltAppBase::PlayRegistryWrite() { return false; }

void ZoltAppBase::HandlePlaybackChar(int c) { (void)c; }

void ZoltAppBase::RaiseCrashReport()
{
    // The crash handler takes over here once it is built in; until then the
    // request ends the program as an unhandled fault would.
    platform::OutputDebugString("Crash requested from the command line\r\n");
    platform::ExitProcess(1);
}

} // namespace Zolt
