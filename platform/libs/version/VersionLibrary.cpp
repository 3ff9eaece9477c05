#include "platform/libs/version/VersionLibrary.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform::libs::version {

namespace {

// A version block as this library hands it out: a tag and the product
// version, ending in a zero.
constexpr char kBlockTag[4] = {'P', 'V', 'E', 'R'};

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

// The SDL under a service, with the driver it runs on once started.
std::string StackBeneath(const char* driver)
{
    if (IsHeadless())
        return "headless";
    SDL_version linked;
    SDL_GetVersion(&linked);
    std::string text = "SDL " + std::to_string(linked.major) + "." + std::to_string(linked.minor) + "." +
                       std::to_string(linked.patch);
    if (driver)
        text += std::string(" ") + driver;
    return text;
}

DWORD GetFileVersionInfoSize(const char* fileName, DWORD* handle)
{
    if (handle)
        *handle = 0;
    const std::string version = fileName ? ProductVersionOf(fileName) : std::string();
    return version.empty() ? 0 : DWORD(sizeof kBlockTag + version.size() + 1);
}

BOOL GetFileVersionInfo(const char* fileName, DWORD, DWORD length, void* data)
{
    const std::string version = fileName ? ProductVersionOf(fileName) : std::string();
    if (version.empty() || !data || length < sizeof kBlockTag + version.size() + 1)
        return FALSE;
    auto* out = static_cast<char*>(data);
    std::memcpy(out, kBlockTag, sizeof kBlockTag);
    std::memcpy(out + sizeof kBlockTag, version.c_str(), version.size() + 1);
    return TRUE;
}

BOOL VerQueryValue(const void* block, const char* subBlock, void** value, UINT* length)
{
    if (!block || !subBlock || std::memcmp(block, kBlockTag, sizeof kBlockTag) != 0)
        return FALSE;
    const std::string wanted = subBlock;
    if (wanted != "\\StringFileInfo\\040904B0\\ProductVersion" &&
        wanted != "\\StringFileInfo\\040904E4\\ProductVersion")
        return FALSE;
    char* text = static_cast<char*>(const_cast<void*>(block)) + sizeof kBlockTag;
    if (value)
        *value = text;
    if (length)
        *length = UINT(std::strlen(text) + 1);
    return TRUE;
}

} // namespace

std::string ProductVersionOf(const std::string& fileName)
{
    const std::string name = BaseName(fileName);
    if (name == "ddraw.dll")
        return StackBeneath(SDL_GetCurrentVideoDriver());
    if (name == "dsound.dll")
        return StackBeneath(SDL_GetCurrentAudioDriver());
    return {};
}

void RegisterVersionLibrary()
{
    RegisterModule("version.dll", {Entry("GetFileVersionInfoSizeA", &GetFileVersionInfoSize),
                                   Entry("GetFileVersionInfoA", &GetFileVersionInfo),
                                   Entry("VerQueryValueA", &VerQueryValue)});
}

} // namespace platform::libs::version
