// JPEG 2000 pictures through the codec module "j2k-codec.dll", loaded by
// name at start-up and taken function by function. Without the module, or
// with one that lacks a function or is too old, JPEG 2000 files fail to load
// and the module is let go.
#include "imagelib/ImageDecoders.h"
#include "imagelib/ImageLib.h"

#include "platform/core/ModuleRegistry.h"
#include "platform/libs/j2k/J2kCodec.h"

namespace ImageLib {

namespace {

using namespace platform::libs::j2k;

constexpr uint32_t kOldestUsableVersion = 0x120000;

// The loaded module and the functions taken from it. Set on the main thread
// (start-up, shutdown); the reader only reads them.
platform::HMODULE gJ2kModule = nullptr;

struct J2kFunctions {
    platform::HMODULE from = nullptr; // the module these were taken from
    J2kGetVersionFn getVersion = nullptr;
    J2kOpenCustomFn openCustom = nullptr;
    J2kOpenFileFn openFile = nullptr;
    J2kCloseFn close = nullptr;
    J2kGetInfoFn getInfo = nullptr;
    J2kGetResolutionDimensionsFn getResolutionDimensions = nullptr;
    J2kDecodeFn decode = nullptr;
    J2kGetLastErrorFn getLastError = nullptr;
    J2kGetErrorStrFn getErrorStr = nullptr;
};
J2kFunctions gJ2k;

// Takes every function of the current module; false (and the module let go)
// when one is missing or the module is older than the reader needs.
bool TakeFunctions()
{
    if (gJ2k.from == gJ2kModule && gJ2k.from)
        return true;
    J2kFunctions f;
    f.from = gJ2kModule;
    f.getVersion = platform::GetEntryAs<J2kGetVersionFn>(gJ2kModule, kJ2kGetVersionEntry);
    f.openCustom = platform::GetEntryAs<J2kOpenCustomFn>(gJ2kModule, kJ2kOpenCustomEntry);
    f.openFile = platform::GetEntryAs<J2kOpenFileFn>(gJ2kModule, kJ2kOpenFileEntry);
    f.close = platform::GetEntryAs<J2kCloseFn>(gJ2kModule, kJ2kCloseEntry);
    f.getInfo = platform::GetEntryAs<J2kGetInfoFn>(gJ2kModule, kJ2kGetInfoEntry);
    f.getResolutionDimensions
        = platform::GetEntryAs<J2kGetResolutionDimensionsFn>(gJ2kModule, kJ2kGetResolutionDimensionsEntry);
    f.decode = platform::GetEntryAs<J2kDecodeFn>(gJ2kModule, kJ2kDecodeEntry);
    f.getLastError = platform::GetEntryAs<J2kGetLastErrorFn>(gJ2kModule, kJ2kGetLastErrorEntry);
    f.getErrorStr = platform::GetEntryAs<J2kGetErrorStrFn>(gJ2kModule, kJ2kGetErrorStrEntry);
    const bool complete = f.getVersion && f.openCustom && f.openFile && f.close && f.getInfo
        && f.getResolutionDimensions && f.decode && f.getLastError && f.getErrorStr;
    if (!complete || f.getVersion() < kOldestUsableVersion) {
        FreeJ2kCodec();
        return false;
    }
    gJ2k = f;
    return true;
}

int SeekSource(void* file, long offset)
{
    return static_cast<ImageSource*>(file)->Seek(offset) ? 0 : -1;
}

int ReadSource(void* buffer, int count, void* file)
{
    if (count <= 0)
        return 0;
    return int(static_cast<ImageSource*>(file)->Read(buffer, size_t(count)));
}

void StreamDone(void*) {}

// Closes the codec's image on every path.
struct OpenJ2k {
    J2kImage image;
    ~OpenJ2k()
    {
        if (image)
            gJ2k.close(image);
    }
};

} // namespace

void LoadJ2kCodec()
{
    if (gJ2kModule)
        return;
    EnsureJ2kCodecRegistered();
    gJ2kModule = platform::LoadModule(kJ2kModuleName);
}

void FreeJ2kCodec()
{
    if (gJ2kModule)
        platform::FreeModule(gJ2kModule);
    gJ2kModule = nullptr;
    gJ2k = J2kFunctions();
}

std::unique_ptr<Image> DecodeJ2k(ImageSource& source)
{
    if (!gJ2kModule || !TakeFunctions())
        return nullptr;

    const J2kStreamCallbacks callbacks {SeekSource, ReadSource, StreamDone};
    OpenJ2k opened {gJ2k.openCustom(&source, &callbacks)};
    if (!opened.image) {
        // The reason is only of use in a debugger.
        (void)gJ2k.getErrorStr(gJ2k.getLastError());
        return nullptr;
    }
    int width = 0, height = 0, components = 0;
    if (gJ2k.getInfo(opened.image, &width, &height, &components) != 0)
        return nullptr;
    if (gJ2k.getResolutionDimensions(opened.image, 0, &width, &height) != 0)
        return nullptr;
    if (!IsAcceptableImageSize(width, height))
        return nullptr;

    auto image = std::make_unique<Image>(width, height);
    unsigned char* buffer = reinterpret_cast<unsigned char*>(image->GetBits());
    int size = width * height * 4;
    int pitch = width * 4;
    if (gJ2k.decode(opened.image, &buffer, &size, "bpp=4,rl=0", &pitch) != 0)
        return nullptr;
    uint32_t* bits = image->GetBits();
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i)
        bits[i] |= 0xFF000000u;
    return image;
}

Image* ReadJ2kImage(const std::string& fileName)
{
    // Without the codec, JPEG 2000 files are not read at all: no file of
    // them is damaged for that.
    if (!gJ2kModule)
        return nullptr;
    return DecodeFile(fileName, DecodeJ2k, "JPEG 2000").release();
}

} // namespace ImageLib
