#include "framework/sound/AudioLibraryTable.h"

#include "platform/core/Process.h"
#include "platform/window/SystemDialogs.h"

namespace Zolt {

void AbortMissingAudioLibrary(const std::string& text)
{
    platform::MessageBoxA(nullptr, text.c_str(), "Error", platform::MB_OK | platform::MB_ICONERROR);
    platform::ExitProcess(0);
}

platform::HMODULE LoadAudioLibrary(const char* fileName, const char* missingText)
{
    platform::HMODULE module = platform::LoadModule(fileName);
    if (!module)
        AbortMissingAudioLibrary(missingText);
    return module;
}

std::string MissingFunctionText(const char* missingFormat, const std::string& name)
{
    std::string text = missingFormat;
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace Zolt
